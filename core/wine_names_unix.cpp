// The name by which a Windows tool of Quenlar.exe's kind, run through Wine,
// can open its source: as it stands, or the file's short (8.3) name.
#include "wine_unix.h"

#include "messages.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>

#include <algorithm>
#include <sys/stat.h>

namespace Platform {

namespace {

// How long the questions to Wine about one start may take together: within
// the 2 s that a press waits for the start to be prepared, so that one Wine
// does not answer in time for gets its own warning. A Wine server that is
// running answers in 0.05 to 0.3 s, one that has to start first in 0.3 to
// 1.5 s (a busy machine), one that creates a new prefix in seconds.
constexpr int WineAnswerMs = 1800;
// Windows programs of the tool's age open no longer path (MAX_PATH, its
// terminating zero included).
constexpr qsizetype MaxPath = 260;

// The standard output of `wine <arguments>`; `inTime` false when it had not
// ended by `deadline` (it is then ended), `output` empty when it failed.
struct WineAnswer
{
    bool inTime = true;
    QByteArray output;
};

WineAnswer askWine(const QString &wine, const QStringList &arguments, const QProcessEnvironment &environment,
                   const QDeadlineTimer &deadline)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(wine, arguments);
    if (!process.waitForFinished(int(qMax<qint64>(1, deadline.remainingTime())))) {
        if (process.state() == QProcess::NotRunning)
            return {}; // it did not start
        // A Wine starting a new prefix goes on with it without this program.
        process.kill();
        process.waitForFinished();
        return {false, {}};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return {true, process.readAllStandardOutput()};
}

// The ANSI code page, GetACP(), of a program that Wine runs in
// `environment`: 0 when Wine does not tell. Wine takes it from the locale's
// character type and writes it into the prefix's registry as each program
// starts, so reg.exe reads back the one the tool will have. Asked once for
// each Wine and environment.
struct CodePageAnswer
{
    bool inTime = true;
    uint codePage = 0;
};

CodePageAnswer wineCodePage(const QString &wine, const QProcessEnvironment &environment,
                            const QDeadlineTimer &deadline)
{
    static QMutex mutex;
    static QHash<QString, uint> known;
    const QString key = wine + QChar(0) + environment.toStringList().join(QChar(0));
    {
        const QMutexLocker lock(&mutex);
        if (const auto found = known.constFind(key); found != known.cend())
            return {true, *found};
    }
    const WineAnswer answer =
        askWine(wine,
                {QStringLiteral("reg.exe"), QStringLiteral("query"),
                 QStringLiteral("HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage"), QStringLiteral("/v"),
                 QStringLiteral("ACP")},
                environment, deadline);
    if (!answer.inTime)
        return {false, 0};
    static const QRegularExpression value(QStringLiteral("\\bACP\\s+REG_SZ\\s+(\\d+)"));
    const uint codePage = value.match(QString::fromLatin1(answer.output)).captured(1).toUInt();
    if (codePage != 0) {
        const QMutexLocker lock(&mutex);
        known.insert(key, codePage);
    }
    return {true, codePage};
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Whether a program whose ANSI code page is `codePage` (0: not known) gets
// `text` unchanged: every letter spelled, none replaced or approximated.
bool codePageSpells(uint codePage, QStringView text)
{
    if (isAscii(text) || codePage == 65001) // UTF-8
        return true;
    if (codePage == 0)
        return false;
    QStringEncoder encoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
    if (!encoder.isValid())
        return false;
    const QByteArray encoded = encoder.encode(text); // converts, and so tells hasError()
    return !encoder.hasError();
}

// Whether every name in `path`, separated by `separator`, is one Windows
// allows: none of < > " | ? *, the other separator or a control character,
// none ending in a blank or a dot. A ':' within a name passes: Wine opens
// such a name as it stands, and its short name keeps the ':'.
bool windowsAllowsNames(QStringView path, QChar separator)
{
    static const QString forbidden = QStringLiteral("<>\"|?*\\/");
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == separator) {
            if (i > begin && (path[i - 1] == QLatin1Char(' ') || path[i - 1] == QLatin1Char('.')))
                return false;
            begin = i + 1;
        } else if (path[i].unicode() < 0x20 || forbidden.contains(path[i])) {
            return false;
        }
    }
    return true;
}

// The lines of a Wine program's output, without their line ends.
QList<QByteArray> outputLines(const QByteArray &output)
{
    QList<QByteArray> lines = output.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

QString withoutDevice(const QByteArray &path)
{
    const QString text = QString::fromUtf8(path);
    return text.startsWith(QLatin1String("\\\\?\\")) && !text.startsWith(QLatin1String("\\\\?\\unix"))
               ? text.mid(4)
               : text;
}

// A short (8.3) Windows path of a file, checked; `inTime` false when Wine did
// not answer by the deadline.
struct ShortName
{
    bool inTime = true;
    QString path;
};

// The file's short path in the prefix, the one that Wine maps back to that
// very file. Wine gives it (winepath -s of the \\?\ form, which lifts MAX_PATH
// and keeps a trailing blank or dot); but Wine 10 reads < > " in a path as
// wildcards, so its answer may name another file or none. Then the short
// name comes from the folder's listing (dir /x, those characters asked as ?),
// and of its names the one that maps back to the file.
ShortName wineShortName(const QString &windowsPath, const QString &file, const QString &wine,
                        const QProcessEnvironment &environment, const QDeadlineTimer &deadline)
{
    struct stat wanted;
    if (::stat(QFile::encodeName(file).constData(), &wanted) != 0)
        return {};
    // Which of `paths` Wine maps back to the file (winepath -u); "" for none.
    const auto theFileOf = [&](const QStringList &paths, bool *inTime) -> QString {
        const WineAnswer answer = askWine(wine, QStringList{QStringLiteral("winepath.exe"), QStringLiteral("-u")} + paths,
                                          environment, deadline);
        *inTime = answer.inTime;
        // One line for each path asked, in order.
        const QList<QByteArray> unixPaths = outputLines(answer.output);
        if (unixPaths.size() != paths.size())
            return QString();
        for (qsizetype i = 0; i < unixPaths.size(); ++i) {
            struct stat found;
            if (::stat(unixPaths[i].constData(), &found) == 0 && found.st_dev == wanted.st_dev
                && found.st_ino == wanted.st_ino)
                return paths[i];
        }
        return QString();
    };
    const QString device = QStringLiteral("\\\\?\\");
    const auto asDevice = [&](const QString &path) { return path.startsWith(device) ? path : device + path; };
    const qsizetype cut = windowsPath.lastIndexOf(QLatin1Char('\\'));
    const QString name = windowsPath.mid(cut + 1);
    WineAnswer answer = askWine(wine,
                                {QStringLiteral("winepath.exe"), QStringLiteral("-s"), asDevice(windowsPath),
                                 asDevice(windowsPath.left(cut))},
                                environment, deadline);
    if (!answer.inTime)
        return {false, {}};
    const QList<QByteArray> answers = outputLines(answer.output);
    if (answers.size() != 2)
        return {};
    bool inTime = true;
    if (!answers[0].isEmpty()) {
        const QString checked = theFileOf({withoutDevice(answers[0])}, &inTime);
        if (!inTime || !checked.isEmpty())
            return {inTime, checked};
    }
    const QString folder = withoutDevice(answers[1]);
    if (folder.isEmpty())
        return {};
    QString pattern = name;
    for (QChar &c : pattern) {
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('"'))
            c = QLatin1Char('?');
    }
    answer = askWine(wine,
                     {QStringLiteral("cmd.exe"), QStringLiteral("/c"), QStringLiteral("dir"), QStringLiteral("/x"),
                      QStringLiteral("/a-d"), folder + QLatin1Char('\\') + pattern},
                     environment, deadline);
    if (!answer.inTime)
        return {false, {}};
    // A listing's line: date, time, size, the short name where there is one, the long name.
    static const QRegularExpression shortForm(QStringLiteral("(?:^|\\s)([^\\s.~]{1,7}~[^\\s.]{1,7}(?:\\.[^\\s.]{1,3})?)\\s"));
    QStringList candidates;
    for (const QByteArray &line : outputLines(answer.output)) {
        const QRegularExpressionMatch match = shortForm.match(QString::fromLatin1(line));
        if (match.hasMatch() && match.captured(1).size() <= 12)
            candidates << folder + QLatin1Char('\\') + match.captured(1);
    }
    if (candidates.isEmpty())
        return {};
    const QString checked = theFileOf(candidates, &inTime);
    return {inTime, checked};
}

} // namespace

QString wineSource(const QString &source, const QString &wine, const QProcessEnvironment &environment,
                   QString *problem)
{
    const WindowsForm form = windowsForm(source, winePrefix(environment));
    // A backslash in a Linux name would split it into two in Windows' eyes,
    // naming another file or none.
    const bool allowed = windowsAllowsNames(form.names, QLatin1Char('/'));
    const bool fits = form.path.size() < MaxPath;
    const QDeadlineTimer deadline(WineAnswerMs);
    const CodePageAnswer codePage =
        isAscii(form.path) ? CodePageAnswer{true, 0} : wineCodePage(wine, environment, deadline);
    const QString noAnswer = Messages::NoAnswerFromWine.arg(QString::number(WineAnswerMs / 1000.0), source);
    if (!codePage.inTime) {
        *problem = noAnswer;
        return QString();
    }
    const bool spelled = codePageSpells(codePage.codePage, form.path);
    if (allowed && fits && spelled)
        return form.path;

    QString shortName;
    if (!form.names.contains(QLatin1Char('\\'))) {
        const ShortName found = wineShortName(form.path, source, wine, environment, deadline);
        if (!found.inTime) {
            *problem = noAnswer;
            return QString();
        }
        shortName = found.path;
    }
    if (!shortName.isEmpty() && shortName.size() < MaxPath && codePageSpells(codePage.codePage, shortName)
        && windowsAllowsNames(QStringView(shortName).mid(shortName.startsWith(QLatin1Char('\\')) ? 4 : 0),
                              QLatin1Char('\\')))
        return shortName;
    *problem = !allowed   ? Messages::SourceForbiddenCharacters.arg(source)
               : !spelled ? Messages::SourceOutsideCodePage.arg(
                                source, codePage.codePage ? QStringLiteral("windows-%1").arg(codePage.codePage)
                                                          : QStringLiteral("which Wine did not tell"))
                          : Messages::SourcePathTooLong.arg(source);
    return QString();
}

} // namespace Platform
