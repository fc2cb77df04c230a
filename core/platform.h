// Everything that differs between Windows and the other systems: declared
// here, defined in platform_win.cpp or platform_unix.cpp (CMake builds one).
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

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

// Starts the tool's command (Platform::toolCommand) in a session of its own,
// on Windows in a new, normal, focused console window, and returns without
// waiting for it; the tool runs on when Dravolt ends. False, with the system's reason in *error,
// when it could not be started.
// `environment`: empty for Dravolt's own.
bool startTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               QString *error);

// How a tool is started: the program, its arguments and environment, or why
// it cannot start.
struct ToolCommand
{
    QString program;
    QStringList arguments;
    QProcessEnvironment environment; // empty: Dravolt's own
    QString problem;                 // for the user: what is wrong and what mends it
};

// The command that runs the tool file `program` with `arguments`. Elsewhere
// than on Windows: Windows programs through Wine, their source (the first
// argument) in its Windows form, and in the terminal when there is one. Every
// argument is passed whole.
ToolCommand toolCommand(const QString &program, const QStringList &arguments);

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
