// What the units for the systems that are not Windows share. Defined in
// platform_unix.cpp.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace Platform {

// Starts a program in a session of its own, Dravolt's standard output and
// error its own, its input the null device, and returns without waiting for
// it; it runs on when Dravolt ends. `finished`, when given, gets its exit
// code when it ends (-1: it crashed), on the thread that started it. False,
// with the system's reason in *error, when it could not be started.
// `environment`: empty for Dravolt's own.
bool startProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                  QString *error, const std::function<void(int exitCode)> &finished = {});

} // namespace Platform
