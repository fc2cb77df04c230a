// Linux and the other systems that are not Windows: the file look-up, the
// tool's start (a Windows tool through Wine, in a terminal window: see
// wine_unix.cpp and terminal_unix.cpp), the settings file. Which paths may
// stall: mounts_unix.cpp.
#include "platform.h"
#include "platform_unix.h"

#include "messages.h"
#include "terminal_unix.h"
#include "toolfile.h"
#include "wine_unix.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QVarLengthArray>

#ifdef __GLIBC__
#  include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

QString storedFileName(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return QString();
    // Encoded as QFile::encodeName does, but into a buffer on the stack: the
    // status monitor asks this a hundred times a second.
    QStringEncoder encoder(QStringEncoder::System, QStringConverter::Flag::Stateless);
    QVarLengthArray<char, 1024> encoded(encoder.requiredSpace(path.size()) + 1);
    *encoder.appendToBuffer(encoded.data(), path) = '\0';
    struct stat st;
    if (::stat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return QString();
    // Case-sensitive file systems store the name as it was given.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.mid(slash + 1);
}

QString programPath(const QString &location)
{
    // A name without a slash would be searched for in PATH; anchor it instead.
    if (QDir::isAbsolutePath(location))
        return location;
    return QDir::currentPath() + QLatin1Char('/') + location;
}

bool startProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                  QString *error, const std::function<void(int exitCode)> &finished)
{
    // Not QProcess::startDetached: its two full forks copy the whole of
    // Dravolt's memory map, which doubles the time to the tool's start. One
    // light fork, and in the child what a detached start does: a session of
    // its own, Dravolt's standard channels. Dravolt never waits for the
    // program; the process is collected when it ends, and its object is never
    // deleted while it runs, so ending Dravolt leaves the program running.
    static QObject *const running = new QObject;
    auto *process = new QProcess(running);
    process->setProgram(program);
    process->setArguments(arguments);
    if (!environment.isEmpty())
        process->setProcessEnvironment(environment);
    // No pipes: the program shares Dravolt's standard output and error, so it
    // loses nothing when Dravolt ends. Its input is not Dravolt's: a Dravolt
    // started from a shell would hand that shell's input to another session.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setChildProcessModifier([] { ::setsid(); });
    process->start();
    if (!process->waitForStarted()) {
        *error = process->errorString();
        delete process;
        return false;
    }
    QObject::connect(process, &QProcess::finished, process,
                     [process, finished](int exitCode, QProcess::ExitStatus status) {
                         if (finished)
                             finished(status == QProcess::NormalExit ? exitCode : -1);
                         process->deleteLater();
                     });
    return true;
}

bool startTool(const ToolCommand &command, QString *error, const NotRunHandler &notRun)
{
    if (!command.terminal.program.isEmpty())
        return startInTerminal(command, error, notRun);
    return startProcess(command.program, command.arguments, command.environment, error);
}

QString settingsStorePath(const QString &application)
{
    // $XDG_CONFIG_HOME, or ~/.config when it is not set.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1Char('/') + application + QStringLiteral(".conf");
}

bool settingsStoreIsFile()
{
    return true;
}

ToolCommand toolCommand(const QString &program, const QStringList &arguments)
{
    ToolCommand command{program, arguments, {}, QString(), {}};
    const QFileInfo info(program);
    // A file that is not there (or is a folder) fails at the start, which
    // says so.
    if (!info.isFile())
        return command;
    const ToolFile::Kind kind = ToolFile::classifyFile(program);
    switch (kind) {
    case ToolFile::Kind::Native:
        if (!info.isExecutable())
            command.problem = Messages::NotExecutable;
        break;
    case ToolFile::Kind::NotAProgram:
        // Left to the system when marked executable, as a program of a kind
        // not known here may still run.
        if (!info.isExecutable())
            command.problem = Messages::NotAProgram;
        break;
    // Kinds no program here can run.
    case ToolFile::Kind::Dos:
    case ToolFile::Kind::DamagedWindows:
    case ToolFile::Kind::WindowsOther:
        command.problem = kind == ToolFile::Kind::Dos              ? Messages::Dos
                          : kind == ToolFile::Kind::DamagedWindows ? Messages::Damaged
                                                                   : Messages::OtherProcessor;
        break;
    case ToolFile::Kind::Windows32:
    case ToolFile::Kind::Windows64: {
        const QString wine = wineProgram();
        if (wine.isEmpty())
            command.problem = Messages::NoWine;
        else if (kind == ToolFile::Kind::Windows32 && !wineRuns32Bit(wine))
            command.problem = Messages::No32BitWine;
        command.program = wine;
        command.environment = wineEnvironment(QProcessEnvironment::systemEnvironment());
        // A Windows program takes an argument that begins with "/" for a
        // switch: the source goes in the form Wine's programs know it by, one
        // the tool can open.
        if (!command.problem.isEmpty())
            break;
        if (!command.arguments.isEmpty()) {
            command.arguments.first() =
                wineSource(command.arguments.first(), wine, command.environment, &command.problem);
        }
        command.arguments.prepend(program);
        break;
    }
    }
    if (!command.problem.isEmpty())
        return command;
    command.terminal = terminal();
    command.terminal.title = info.fileName();
    return command;
}


void prepareLookupThread()
{
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace Platform
