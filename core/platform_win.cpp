// Windows: its own file look-up, console windows and registry.
#include "platform.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <qt_windows.h>

namespace Platform {

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

bool mayStall(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    // Made absolute on the text alone (drive-relative and relative texts
    // against the current folders), so nothing is asked of the drive itself.
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (absolute.startsWith(QLatin1String("\\\\")) || absolute.size() < 3 || absolute.at(1) != QLatin1Char(':'))
        return true; // a share (\\server\share) or a device
    // Only a drive fixed in the machine answers at once: network and
    // removable drives, optical discs and unknown ones may not.
    const QString root = absolute.left(2) + QLatin1Char('\\');
    return GetDriveTypeW(reinterpret_cast<const wchar_t *>(root.utf16())) != DRIVE_FIXED;
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

// Windows starts its own programs, each console program in a console window.
ToolCommand toolCommand(const QString &program, const QStringList &arguments)
{
    return {program, arguments, {}, QString()};
}

void releaseFreedMemory()
{
    // Windows' heap returns what it does not need by itself.
}

void prepareLookupThread()
{
    // No "insert a disk" box for a drive that is not ready, whatever the
    // thread asks; the mode belongs to the thread.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
}

} // namespace Platform
