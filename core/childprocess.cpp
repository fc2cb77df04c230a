#include "childprocess.h"

#include <QProcess>

namespace ChildProcess {

QProcess *start(QObject *owner, const QString &program, const QStringList &arguments,
                QString *error, const std::function<void()> &inChild,
                const QProcessEnvironment &environment)
{
    auto *process = new QProcess(owner);
    process->setProgram(program);
    process->setArguments(arguments);
    if (!environment.isEmpty())
        process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    // Not Dravolt's own input: a Dravolt started from a shell would hand that
    // shell's input to a program in another session.
    process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    if (inChild)
        process->setChildProcessModifier(inChild);
#else
    Q_UNUSED(inChild);
#endif
    process->start();
    if (process->waitForStarted())
        return process;
    if (error)
        *error = process->errorString();
    delete process;
    return nullptr;
}

} // namespace ChildProcess
