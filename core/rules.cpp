#include "rules.h"

#include "filelookup.h"

#include <limits>

namespace Rules {

QString switchString(bool internal, bool horizontal, bool vertical)
{
    // Every possible text, so that building one allocates nothing.
    static const QString texts[8] = {
        QString(),              QStringLiteral("/i"),  QStringLiteral("/x"),  QStringLiteral("/ix"),
        QStringLiteral("/y"),   QStringLiteral("/iy"), QStringLiteral("/xy"), QStringLiteral("/ixy")};
    return texts[(internal ? 1 : 0) | (horizontal ? 2 : 0) | (vertical ? 4 : 0)];
}

QString switchString(const RunInputs &in)
{
    return switchString(in.wrapInternal, in.wrapHorizontal, in.wrapVertical);
}

// Writes head, source, base name, start index and switch text, joined by
// single blanks, over `text`, whose buffer is reused where it can be.
static void writeArgumentsWithBlanks(QString &text, const QString &head, const RunInputs &in)
{
    const QString sw = switchString(in);
    const qsizetype size = head.size() + in.source.size() + in.baseName.size() + in.startIndex.size() + sw.size() + 4;
    text.resize(0);
    // Qt reallocates on a reserve of the whole capacity: only when it is short.
    if (text.capacity() < size)
        text.reserve(size);
    text += head;
    text += QLatin1Char(' ');
    text += in.source;
    text += QLatin1Char(' ');
    text += in.baseName;
    text += QLatin1Char(' ');
    text += in.startIndex;
    text += QLatin1Char(' ');
    text += sw;
}

QString commandLineText(const QString &toolLocation, const RunInputs &in)
{
    QString text;
    writeArgumentsWithBlanks(text, toolLocation, in);
    return text;
}

QString statusText(const RunInputs &in)
{
    QString text;
    writeStatusText(text, in);
    return text;
}

void writeStatusText(QString &text, const RunInputs &in)
{
    writeArgumentsWithBlanks(text, statusPrefix(), in);
}

QStringList toolArguments(const RunInputs &in)
{
    QStringList args{in.source, in.baseName, in.startIndex};
    const QString sw = switchString(in);
    if (!sw.isEmpty())
        args << sw;
    return args;
}

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

QString lastCharacters(QStringView text, qsizetype n)
{
    qsizetype start = text.size();
    for (qsizetype taken = 0; taken < n && start > 0; ++taken) {
        --start;
        if (text[start].isLowSurrogate() && start > 0 && text[start - 1].isHighSurrogate())
            --start;
    }
    return text.mid(start).toString();
}

qint64 leadingNumberValue(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        const int digit = c - u'0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

bool isNumeric(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    }
    return true;
}

// True when the text, upper-cased, is `upper` (ASCII capitals). ASCII texts are
// compared in place, as the status monitor checks a name a hundred times a
// second; any other text is upper-cased in full (that can change its length).
static bool upperCasedEquals(const QString &text, QLatin1String upper)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return text.toUpper() == upper;
    }
    if (text.size() != upper.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= u'a' && c <= u'z')
            c -= u'a' - u'A';
        if (c != char16_t(upper[i].unicode()))
            return false;
    }
    return true;
}

// The lookup's answer for the location; the empty text is asked nothing.
static QString locationName(const QString &toolLocation, const NameLookup &lookup)
{
    return toolLocation.isEmpty() ? QString() : lookup(toolLocation);
}

qint16 checkProgramLocation(const QString &toolLocation)
{
    return checkProgramLocation(toolLocation, locationName(toolLocation, FileLookup::fileName));
}

qint16 checkProgramLocation(const QString &toolLocation, const QString &storedName)
{
    if (toolLocation.isEmpty())
        return 1;
    return upperCasedEquals(storedName, QLatin1String("QUENLAR.EXE")) ? 0 : 1;
}

int firstFailingCheck(const QString &toolLocation, const RunInputs &in, const NameLookup &lookup)
{
    if (checkProgramLocation(toolLocation, locationName(toolLocation, lookup)) == 1)
        return 1;
    if (in.source.isEmpty())
        return 2;
    if (characterCount(in.source) < 5)
        return 3;
    if (lastCharacters(in.source, 4).toUpper() != QLatin1String(".TGA"))
        return 4;
    if (lookup(in.source).isEmpty())
        return 5;
    if (in.baseName.isEmpty())
        return 6;
    if (characterCount(in.baseName) > 5)
        return 7;
    if (in.startIndex.isEmpty())
        return 8;
    if (leadingNumberValue(in.startIndex) < 0)
        return 9;
    if (characterCount(in.startIndex) != 3)
        return 10;
    if (!isNumeric(in.startIndex))
        return 11;
    return 0;
}

int checkPage(int check)
{
    return check == 1 ? 1 : 0;
}

const char *checkFocusControl(int check)
{
    if (check < 1 || check > CheckCount)
        return nullptr;
    if (check == 1)
        return "cmdOpenQuenlar";
    if (check <= 5)
        return "cmdOpenSource";
    if (check <= 7)
        return "txtBaseFileName";
    return "txtStartIndex";
}

QString checkMessage(int check, const RunInputs &in)
{
    switch (check) {
    case 1: return QStringLiteral("Quenlar.exe Not Found");
    case 2: return QStringLiteral("No Source File");
    case 3: return QStringLiteral("Invalid Source File Name");
    case 4: return QStringLiteral("Source File Must Be *.TGA");
    case 5: return in.source + QLatin1String(" does not exist");
    case 6: return QStringLiteral("No Base File Name");
    case 7: return QStringLiteral("Base File Name Cannot Exceed 5 Characters");
    case 8: return QStringLiteral("No Start Index");
    case 9: return QStringLiteral("Start Index Must Be A Positive Value");
    case 10: return QStringLiteral("Start Index Must Be 3 Digits");
    case 11: return QStringLiteral("Start Index Must Be An Integer");
    }
    return QString();
}

} // namespace Rules
