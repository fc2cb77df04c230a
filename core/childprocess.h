// Starting a program that may outlive Dravolt: the tool, a help viewer.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class QProcess;

namespace ChildProcess {

// Starts the program without pipes (it shares Dravolt's standard output and
// error, so it loses nothing when Dravolt ends; its input is the null device)
// and waits only until it runs. The process object belongs to `owner` and
// must not be deleted while the program runs: deleting a running QProcess
// kills it. Returns null, with the system's reason in *error, when the
// program could not be started. `inChild` (Unix) runs in the child just
// before the program; a non-empty `environment` replaces Dravolt's own.
QProcess *start(QObject *owner, const QString &program, const QStringList &arguments,
                QString *error, const std::function<void()> &inChild = {},
                const QProcessEnvironment &environment = {});

} // namespace ChildProcess
