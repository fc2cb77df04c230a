// Everything that differs between Windows and the other systems: declared
// here, defined in platform_win.cpp or platform_unix.cpp (CMake builds one).
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace Platform {

// Name as stored of the ordinary file the path names, or "" (see FileLookup).
QString storedFileName(const QString &path);

// Whether a question about the path may keep its asker waiting: the path lies
// on a network drive or share, a removable or user-space file system, an
// automounter's or one of a kind not known here, or leads there through a
// link. Told without touching any such file system; a path on a local disk
// answers at once.
bool mayStall(const QString &path);

// The program path that starts the file a location text names, without a
// search of PATH: relative texts are taken relative to the current folder.
QString programPath(const QString &location);

// What shows the tool in a window of its own where the system gives a
// console program none: a terminal, the options before the command, and for
// the user its name, how to choose another and the window's title. No
// program: none (Windows, or no terminal or display).
struct Terminal
{
    QString program;
    QStringList options;
    QString name;
    QString remedy;
    QString title;
};

// How a tool is started: the program, its arguments and environment, the
// terminal that shows it, or why it cannot start.
struct ToolCommand
{
    QString program;
    QStringList arguments;
    QProcessEnvironment environment; // empty: Dravolt's own
    QString problem;                 // for the user: what is wrong and what mends it
    Terminal terminal;
};

// The command that runs the tool file `program` with `arguments`. Every
// argument is passed whole. A Windows tool of Quenlar.exe's age gets its
// arguments in the system's ANSI code page and opens no path longer than
// MAX_PATH: its source (the first argument) goes as it stands where it can
// open it by that name, else by the file's short (8.3) name; with neither, the
// command has a problem that names the source. Elsewhere than on Windows:
// Windows programs run through Wine, their source in its Windows form (the
// short name is the Wine prefix's), and in the terminal when there is one; a
// program of the system's own gets its arguments as they stand. May ask Wine,
// for at most 1.8 s.
ToolCommand toolCommand(const QString &program, const QStringList &arguments);

// Told, on the thread that started the tool and after the start returned,
// that the tool never ran: the terminal that was to show it ended with an
// error or did not run it in time. With the reason, for the user.
using NotRunHandler = std::function<void(const QString &reason)>;

// Starts the command (toolCommand) in a session of its own, on Windows in a
// new, normal, focused console window, elsewhere in its terminal when it has
// one, and returns without waiting for it; the tool runs on when Dravolt
// ends. False, with the system's reason in *error, when it could not be
// started.
bool startTool(const ToolCommand &command, QString *error, const NotRunHandler &notRun = {});

// Gives the memory that a closed window freed back to the system, where the
// allocator would otherwise keep it for later (glibc).
void releaseFreedMemory();

// Prepares a thread of the look-up worker before its first job (Windows: no
// "insert a disk" box for a drive that is not ready).
void prepareLookupThread();

// Where the per-user settings of an application are kept: a registry key
// (Windows) or a file in the user's configuration folder.
QString settingsStorePath(const QString &application);
bool settingsStoreIsFile();

} // namespace Platform
