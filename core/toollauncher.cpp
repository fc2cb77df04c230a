#include "toollauncher.h"

#include "filelookup.h"
#include "lookupworker.h"
#include "messages.h"
#include "platform.h"
#include "tgaheader.h"

#include <QFileInfo>

#include <memory>

namespace ToolLauncher {

namespace {

// Runs `work` on the look-up worker for the file at `path` and waits for it
// (FileLookup::PressWaitMs); false when it did not finish in that time.
template<typename Work>
bool askWorker(const QString &path, Work work)
{
    return LookupWorker::waitProcessingEvents(LookupWorker::inspect(path, std::move(work)), FileLookup::PressWaitMs);
}

// A plain reason for a start that failed, from what the file system says.
QString failureReason(const QString &program, const QString &systemReason)
{
    auto reason = std::make_shared<QString>(systemReason);
    const bool answered = askWorker(program, [program, reason] {
        const QFileInfo info(program);
        if (!info.exists())
            *reason = Messages::DoesNotExist;
        else if (info.isDir())
            *reason = Messages::IsAFolder;
        else if (!info.isExecutable())
            *reason = Messages::NotExecutable;
    });
    return answered ? *reason : systemReason;
}

} // namespace

Prepared prepare(const QString &toolLocation, const QStringList &arguments)
{
    const QString program = Platform::programPath(toolLocation);
    auto command = std::make_shared<Platform::ToolCommand>();
    if (!askWorker(program, [command, program, arguments] { *command = Platform::toolCommand(program, arguments); })) {
        // The worker goes on with it; what it finds is no longer wanted.
        return {program, {program, arguments, {}, Messages::NoAnswer.arg(FileLookup::PressWaitMs / 1000), {}}};
    }
    return {program, *command};
}

SourceCheck checkSource(const QString &source)
{
    struct Reading
    {
        bool readable = false;
        QString error;
        TgaHeader::Info info;
    };
    auto reading = std::make_shared<Reading>();
    if (!askWorker(source, [source, reading] {
            reading->info = TgaHeader::readFile(source, &reading->readable, &reading->error);
        }))
        return {Messages::NoAnswer.arg(FileLookup::PressWaitMs / 1000), {}};
    if (!reading->readable)
        return {Messages::Unreadable.arg(reading->error), {}};
    return {QString(), TgaHeader::problems(reading->info, QFileInfo(source).fileName())};
}

Result start(const Prepared &prepared, const Platform::NotRunHandler &notRun)
{
    const Platform::ToolCommand &command = prepared.command;
    if (!command.problem.isEmpty())
        return {false, command.problem};
    QString error;
    if (Platform::startTool(command, &error, notRun))
        return {true, QString()};
    return {false, failureReason(prepared.program, error)};
}

Result start(const QString &toolLocation, const QStringList &arguments)
{
    return start(prepare(toolLocation, arguments));
}

} // namespace ToolLauncher
