#include "toollauncher.h"

#include "platform.h"
#include "platformtool.h"

#include <QFileInfo>

namespace ToolLauncher {

// A plain reason for a start that failed, from what the file system says.
static QString failureReason(const QString &program, const QString &systemReason)
{
    const QFileInfo info(program);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (info.isDir())
        return QStringLiteral("It is a folder, not a program.");
    if (!info.isExecutable())
        return QStringLiteral("The file is not executable.");
    return systemReason;
}

Result start(const QString &toolLocation, const QStringList &arguments)
{
    const QString program = Platform::programPath(toolLocation);
    const Platform::ToolCommand command = Platform::toolCommand(program, arguments);
    if (!command.problem.isEmpty())
        return {false, command.problem};
    QString error;
    if (Platform::startTool(command.program, command.arguments, command.environment, &error))
        return {true, QString()};
    return {false, failureReason(program, error)};
}

} // namespace ToolLauncher
