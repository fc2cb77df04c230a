// The tool in a terminal window of its own: which terminal, and a start that
// no terminal can mangle.
#include "terminal_unix.h"

#include "messages.h"
#include "platform_unix.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

namespace Platform {

namespace {

// The option after which a terminal called by its own name takes the command
// as separate arguments (xterm's -e where nothing else is known).
QStringList commandOptionsOf(const QString &program)
{
    const QString name = QFileInfo(program).fileName();
    if (name == QLatin1String("gnome-terminal") || name == QLatin1String("kgx") || name == QLatin1String("ptyxis"))
        return {QStringLiteral("--")};
    if (name == QLatin1String("xfce4-terminal") || name == QLatin1String("mate-terminal"))
        return {QStringLiteral("-x")};
    // Without D-Bus, so that an open Terminator cannot take the command and drop it.
    if (name == QLatin1String("terminator"))
        return {QStringLiteral("--no-dbus"), QStringLiteral("-x")};
    if (name == QLatin1String("wezterm"))
        return {QStringLiteral("start"), QStringLiteral("--")};
    if (name == QLatin1String("kitty") || name == QLatin1String("foot"))
        return {};
    return {QStringLiteral("-e")};
}

// Only these characters reach a program unchanged through any terminal: no
// blank, quote, $, ~, backslash or anything a shell or a terminal would read.
bool isPlain(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+,=@-]+$"));
    return plain.match(text).hasMatch();
}

// A text as one word for the shell, whatever it holds.
QByteArray shellQuoted(const QString &text)
{
    QByteArray bytes = QFile::encodeName(text);
    bytes.replace('\'', "'\\''");
    return '\'' + bytes + '\'';
}

bool isShellName(const QString &name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

// The launch file's text: claims the file by removing it (once only: Dravolt
// removes it when it withdraws), then the folder, the environment Dravolt
// changes, the window's title and the tool itself.
QByteArray launchScript(const ToolCommand &command)
{
    QByteArray script = "# Dravolt's start of a tool in this terminal window; removes itself first.\n"
                        "command -p rm -- \"$0\" 2>/dev/null || exit 1\n";
    script += "cd -- " + shellQuoted(QDir::currentPath()) + " 2>/dev/null\n";
    if (!command.environment.isEmpty()) {
        const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
        for (const QString &name : command.environment.keys()) {
            if (isShellName(name) && (!own.contains(name) || own.value(name) != command.environment.value(name)))
                script += "export " + name.toLatin1() + '=' + shellQuoted(command.environment.value(name)) + '\n';
        }
        for (const QString &name : own.keys()) {
            if (isShellName(name) && !command.environment.contains(name))
                script += "unset " + name.toLatin1() + '\n';
        }
    }
    QString title = command.terminal.title;
    title.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")));
    if (!title.isEmpty())
        script += "[ -t 1 ] && printf '\\033]2;%s\\007' " + shellQuoted(title) + '\n';
    script += "exec " + shellQuoted(command.program);
    for (const QString &argument : command.arguments)
        script += ' ' + shellQuoted(argument);
    return script + '\n';
}

// The private folder for launch files: the user's runtime folder where there
// is one with a plain path, else the temporary folder, else /tmp.
QString launchFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty() && isPlain(runtime))
            return runtime;
    }
    const QString temporary = QDir::tempPath();
    return isPlain(temporary) ? temporary : QStringLiteral("/tmp");
}

// A launch file that the terminal has not reached yet: withdrawn when the
// terminal ends with an error, or after TerminalAnswerMs.
class LaunchWatch : public QObject
{
public:
    LaunchWatch(const QString &file, const Terminal &terminal, const NotRunHandler &notRun, QObject *parent)
        : QObject(parent), file(file), terminal(terminal), notRun(notRun)
    {
        QTimer::singleShot(TerminalAnswerMs, this, [this] {
            withdraw(Messages::TerminalDidNotRun.arg(this->terminal.name, QString::number(TerminalAnswerMs / 1000),
                                                     this->terminal.remedy));
        });
    }

    void terminalEnded(int exitCode)
    {
        if (exitCode != 0)
            withdraw(Messages::TerminalFailed.arg(terminal.name, QString::number(exitCode), terminal.remedy));
    }

private:
    // Removing the file decides: where the launch file removed itself first,
    // the tool runs and nothing is said.
    void withdraw(const QString &reason)
    {
        if (::unlink(QFile::encodeName(file).constData()) == 0 && notRun)
            notRun(reason);
        deleteLater();
    }

    QString file;
    Terminal terminal;
    NotRunHandler notRun;
};

// The user's choice of terminal names it, else the program found.
Terminal named(const QString &program, const QStringList &options, const QString &remedy)
{
    const QString resolved = QFileInfo(program).canonicalFilePath();
    QString name = QFileInfo(program).fileName();
    if (!resolved.isEmpty() && QFileInfo(resolved).fileName() != name)
        name += QStringLiteral(" (%1)").arg(resolved);
    return {program, options, name, remedy, QString()};
}

} // namespace

Terminal terminal()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    // The freedesktop launcher of the user's default terminal.
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-terminal-exec"));
    if (!launcher.isEmpty())
        return named(launcher, {}, Messages::RemedyXdgTerminalExec);
    // Debian's choice; Terminator is told to start a window of its own.
    const QString chosen = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    if (!chosen.isEmpty()) {
        const bool terminator = QFileInfo(QFileInfo(chosen).canonicalFilePath()).fileName() == QLatin1String("terminator");
        return named(chosen, terminator ? commandOptionsOf(QStringLiteral("terminator")) : QStringList{QStringLiteral("-e")},
                     Messages::RemedyDebianTerminal);
    }
    const QString variable = qEnvironmentVariable("TERMINAL");
    if (!variable.isEmpty()) {
        const QString user = variable.contains(QLatin1Char('/')) ? QFileInfo(variable).absoluteFilePath()
                                                                 : QStandardPaths::findExecutable(variable);
        if (!user.isEmpty() && QFileInfo(user).isExecutable())
            return named(user, commandOptionsOf(user), Messages::RemedyTerminalVariable);
    }
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    for (const char *name : {"kgx", "ptyxis", "gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal",
                             "lxterminal", "qterminal", "tilix", "terminator", "kitty", "foot", "wezterm", "alacritty",
                             "terminology", "xterm"}) {
        // foot opens windows on Wayland only.
        if (!wayland && qstrcmp(name, "foot") == 0)
            continue;
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return named(found, commandOptionsOf(found), Messages::RemedyTerminalVariable);
    }
    return {};
}

bool startInTerminal(const ToolCommand &command, QString *error, const NotRunHandler &notRun)
{
    QTemporaryFile file(launchFolder() + QStringLiteral("/dravolt-tool-XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open() || file.write(launchScript(command)) < 0 || !file.flush()) {
        *error = Messages::LaunchFileNotWritten.arg(file.fileName(), file.errorString());
        file.remove();
        return false;
    }
    file.close();
    const QString path = file.fileName();
    static QObject *const watches = new QObject;
    auto *watch = new LaunchWatch(path, command.terminal, notRun, watches);
    const QPointer<LaunchWatch> watched(watch);
    // The terminal runs in Dravolt's environment; the launch file sets the tool's.
    const bool started = startProcess(command.terminal.program,
                                      command.terminal.options + QStringList{QStringLiteral("/bin/sh"), path},
                                      QProcessEnvironment(), error, [watched](int exitCode) {
                                          if (watched)
                                              watched->terminalEnded(exitCode);
                                      });
    if (!started) {
        QFile::remove(path);
        delete watch;
    }
    return started;
}

} // namespace Platform
