#include "toollauncher.h"

#include "platform.h"

#include <QFileInfo>
#include <QProcess>

namespace ToolLauncher {

// A plain reason for a start that failed, from what the file system says.
static QString failureReason(const QString &program, const QProcess &process)
{
    const QFileInfo info(program);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (info.isDir())
        return QStringLiteral("It is a folder, not a program.");
    if (!info.isExecutable())
        return QStringLiteral("The file is not executable.");
    return process.errorString();
}

Result start(const QString &toolLocation, const QStringList &arguments)
{
    const QString program = Platform::programPath(toolLocation);
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    Platform::prepareToolProcess(process);
    if (process.startDetached())
        return {true, QString()};
    return {false, failureReason(program, process)};
}

} // namespace ToolLauncher
