// A Windows tool on the systems that are not Windows: Wine, the Windows form
// of a path, and the name by which the tool can open its source. Defined in
// wine_unix.cpp; the tests of these rules include it too.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace Platform {

// Where a Windows program is run from on this system: $WINE when set, else
// wine found in PATH; "" when there is none.
QString wineProgram();
// Whether that Wine has the 32-bit half it needs for i386 programs.
bool wineRuns32Bit(const QString &wine);
// The environment to run Wine in. Wine reads the texts it is given (the
// tool's path, its arguments) in the character set of the locale, and Dravolt
// passes them in UTF-8, so a locale of another character set, or one missing
// from the system, is given a UTF-8 LC_CTYPE; the other categories stay the
// user's. Wine takes its programs' ANSI code page from LC_CTYPE too: a UTF-8
// locale is left as it is, so ru_RU.UTF-8 keeps windows-1251. Wine's own diagnostics are off unless WINEDEBUG asks for them, so
// the tool's window shows what the tool prints. TMPDIR, which Wine 10 cannot
// start with, is left out.
QProcessEnvironment wineEnvironment(const QProcessEnvironment &environment);
// The folder Wine keeps its drives in for that environment: $WINEPREFIX, else
// ~/.wine.
QString winePrefix(const QProcessEnvironment &environment);
// The Windows form of the Linux path `path` for a program Wine runs in
// `prefix`, as winepath -w gives it: made absolute against the current
// folder, "." and ".." resolved on the text, then the drive of the prefix's
// dosdevices links whose folder is the path's nearest ancestor (so C:\... under
// drive_c, Z:\... elsewhere with Wine's own drives), with backslashes; Wine's
// \\?\unix\... when no drive holds it. Folders are compared by identity, so
// a link on the way still finds its drive, and a file that is not there yet
// maps by its folders. A prefix without its links yet has Wine's default
// drives, C: its drive_c and Z: the root. The path's letters are kept.
QString windowsPath(const QString &path, const QString &prefix);
// The same, and the part of the Linux path that it spells after its drive:
// the names Windows sees.
struct WindowsForm
{
    QString path;
    QString names;
};
WindowsForm windowsForm(const QString &path, const QString &prefix);

// The source in the form a Windows program of the tool's kind (main, fopen:
// its arguments in its ANSI code page) can open under Wine: its Windows form,
// or where that holds letters the code page cannot spell, characters Windows
// does not allow in names, or more than MAX_PATH, the prefix's short (8.3)
// name of the file. Empty, with the reason in *problem, when there is none.
// May ask Wine, for at most 1.8 s.
QString wineSource(const QString &source, const QString &wine, const QProcessEnvironment &environment,
                   QString *problem);

} // namespace Platform
