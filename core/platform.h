// Everything that differs between Windows and the other platforms lives here.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Platform {

// Name as stored of the ordinary file the path names, or "" (see FileLookup).
QString storedFileName(const QString &path);

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

// Where the per-user settings of an application are kept: a registry key
// (Windows) or a file in the user's configuration folder.
QString settingsStorePath(const QString &application);
bool settingsStoreIsFile();

} // namespace Platform
