#include "platform.h"

#include "childprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#  include <qt_windows.h>
#else
#  include <QStandardPaths>
#  include <QStringEncoder>
#  include <QVarLengthArray>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

namespace Platform {

#ifdef Q_OS_WIN

QString storedFileName(const QString &path)
{
    // FindFirstFile would expand wildcards; the text is taken literally.
    if (path.isEmpty() || path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'))
        || path.contains(QChar(0)))
        return QString();
    const QString native = QDir::toNativeSeparators(path);
    // No "insert a disk" box for a drive that is not ready.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(reinterpret_cast<const wchar_t *>(native.utf16()),
                                FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    SetThreadErrorMode(oldMode, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return QString();
    FindClose(h);
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return QString();
    return QString::fromWCharArray(data.cFileName);
}

QString programPath(const QString &location)
{
    // Handles drive-relative texts such as "C:WINDOWS\COMMAND\Quenlar.exe" too.
    return QDir::toNativeSeparators(QFileInfo(location).absoluteFilePath());
}

bool startTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               QString *error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    // A new, normal, focused console window.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NEW_CONSOLE;
        args->flags &= ~DWORD(DETACHED_PROCESS);
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWNORMAL;
    });
    if (process.startDetached())
        return true;
    *error = process.errorString();
    return false;
}

QString settingsStorePath(const QString &application)
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + application;
}

bool settingsStoreIsFile()
{
    return false;
}

#else

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

bool startTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               QString *error)
{
    // Not QProcess::startDetached: its two full forks copy the whole of
    // Dravolt's memory map, which doubles the time to the tool's start. One
    // light fork, and in the child what a detached start does: a session of
    // its own, Dravolt's standard channels. Dravolt never waits for the tool;
    // the process is collected when it ends, and its object is never deleted
    // while it runs, so ending Dravolt leaves the tool running.
    static QObject *const running = new QObject;
    QProcess *process =
        ChildProcess::start(running, program, arguments, error, [] { ::setsid(); }, environment);
    if (!process)
        return false;
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
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

#endif

} // namespace Platform
