// The rules of a slicing run: the tool's argument texts and the input checks.
// Pure functions of the input texts (plus the file-name lookup for the two
// checks that ask the file system); no widgets here.
#pragma once

#include "filelookup.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace Rules {

// The inputs of one run, as they stand in the main window's controls.
struct RunInputs
{
    QString source;       // txtTGA
    QString baseName;     // txtBaseFileName
    QString startIndex;   // txtStartIndex
    bool wrapInternal = false;   // Checki -> "i"
    bool wrapHorizontal = false; // Checkx -> "x"
    bool wrapVertical = false;   // Checky -> "y"
};

// The text that stands in the tool location's place in the status preview.
inline QString statusPrefix() { return QStringLiteral("Okay: Quenlar"); }
// The status text while the tool is not found.
inline QString locateToolText() { return QStringLiteral("Locate Quenlar.exe"); }

// "" or "/" followed by the letters of the ticked boxes, always in the order i, x, y.
QString switchString(bool internal, bool horizontal, bool vertical);
QString switchString(const RunInputs &in);

// Tool location, source, base name, start index and switch text joined by
// single blanks; empty parts keep their blanks, the switch blank is always written.
QString commandLineText(const QString &toolLocation, const RunInputs &in);
// The same with the status prefix in the tool location's place.
QString statusText(const RunInputs &in);
// The same written over `text`: the status monitor's own buffer, which it
// keeps from tick to tick and so allocates nothing while the text is the same.
void writeStatusText(QString &text, const RunInputs &in);
// What the tool is started with: source, base name, start index, and the
// switch text only when it is not empty. Each text whole, never split.
QStringList toolArguments(const RunInputs &in);

// Number of characters (Unicode code points) of a text.
qsizetype characterCount(QStringView text);
// The final n characters of a text (the whole text when it is shorter).
QString lastCharacters(QStringView text, qsizetype n);
// Value of the number the text begins with: leading blanks (space, tab) are
// skipped, then an optional sign, then ASCII digits. 0 when there is no number.
// Saturates instead of overflowing.
qint64 leadingNumberValue(QStringView text);
// True only for a non-empty text made wholly of the ASCII digits 0-9.
bool isNumeric(QStringView text);

// What the file-name lookup gives for a path: the stored name, "" for none.
using NameLookup = std::function<QString(const QString &path)>;

// 1 when the location is empty or does not name an ordinary file called
// quenlar.exe (in any letter case); 0 when it does.
qint16 checkProgramLocation(const QString &toolLocation);
// The same, given the lookup's answer for the location (`storedName`).
qint16 checkProgramLocation(const QString &toolLocation, const QString &storedName);

// The eleven input checks in their fixed order. Returns the number (1-11) of the
// first check that fails, or 0 when all pass. Checks 1 and 5 ask `lookup`.
int firstFailingCheck(const QString &toolLocation, const RunInputs &in,
                      const NameLookup &lookup = FileLookup::fileName);

inline constexpr int CheckCount = 11;
// Tab page that holds the faulty input: 1 ("Options") for check 1, else 0 ("Slice").
int checkPage(int check);
// Object name of the control that mends the input of a check.
const char *checkFocusControl(int check);
// The warning text of a check (check 5 names the source text).
QString checkMessage(int check, const RunInputs &in);

} // namespace Rules
