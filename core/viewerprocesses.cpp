#include "viewerprocesses.h"

#include "childprocess.h"
#include "platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

ViewerProcesses &ViewerProcesses::instance()
{
    static ViewerProcesses processes;
    return processes;
}

namespace {
QString programFolder;
}

QString ViewerProcesses::programPath()
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    return folder + QLatin1Char('/') + Platform::viewerProgramName();
}

void ViewerProcesses::setProgramFolder(const QString &folder)
{
    programFolder = folder;
}

bool ViewerProcesses::open(const QString &address, QString *reason)
{
    const QString program = programPath();
    if (!QFileInfo(program).isExecutable()) {
        if (reason)
            *reason = QStringLiteral("The help viewer program is missing from the installation:\n%1")
                          .arg(program);
        return false;
    }
    // Without an owner: a viewer runs on when Dravolt ends (unless Exit ends it).
    QString error;
    QProcess *process = ChildProcess::start(nullptr, program, {address}, &error);
    if (!process) {
        if (reason)
            *reason = QStringLiteral("The help viewer could not be started:\n%1\n%2").arg(program, error);
        return false;
    }
    connect(process, &QProcess::finished, this, [this, process] { forget(process); });
    running << process;
    return true;
}

void ViewerProcesses::endAll()
{
    const QList<QProcess *> viewers = running;
    for (QProcess *process : viewers)
        process->terminate();
    for (QProcess *process : viewers) {
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(1000);
        forget(process);
    }
}

void ViewerProcesses::forget(QProcess *process)
{
    if (!running.removeOne(process))
        return;
    process->deleteLater();
}
