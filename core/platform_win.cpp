// Windows: its own file look-up, console windows and registry.
#include "platform.h"
#include "platform_win.h"

#include "messages.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVarLengthArray>

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

bool startTool(const ToolCommand &command, QString *error, const NotRunHandler &)
{
    // Windows opens the console window itself: nothing to watch afterwards.
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    if (!command.environment.isEmpty())
        process.setProcessEnvironment(command.environment);
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

namespace {

std::function<QString(const QString &)> shortPathForTesting;

// Whether a program gets `text` unchanged in the system's ANSI code page:
// every letter spelled, none replaced by a look-alike or a '?'.
bool codePageSpells(const QString &text)
{
    if (text.isEmpty() || GetACP() == CP_UTF8)
        return true;
    BOOL usedDefault = FALSE;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0, nullptr, &usedDefault);
    return size > 0 && !usedDefault;
}

// The short (8.3) form of a full path; "" when the system gives none.
QString shortPath(const QString &full)
{
    if (shortPathForTesting)
        return shortPathForTesting(full);
    // The \\?\ form lifts MAX_PATH from the path asked about.
    const bool unc = full.startsWith(QLatin1String("\\\\"));
    const QString device = unc ? QStringLiteral("\\\\?\\UNC\\") : QStringLiteral("\\\\?\\");
    const QString extended = device + full.mid(unc ? 2 : 0);
    const auto *name = reinterpret_cast<const wchar_t *>(extended.utf16());
    const DWORD size = GetShortPathNameW(name, nullptr, 0);
    if (size == 0)
        return QString();
    QVarLengthArray<wchar_t, MAX_PATH> buffer(size);
    const DWORD length = GetShortPathNameW(name, buffer.data(), size);
    if (length == 0 || length >= size)
        return QString();
    const QString result = QString::fromWCharArray(buffer.data(), int(length));
    if (!result.startsWith(device))
        return result;
    return (unc ? QStringLiteral("\\\\") : QString()) + result.mid(device.size());
}

} // namespace

void setShortPathForTesting(std::function<QString(const QString &)> shortPath)
{
    shortPathForTesting = std::move(shortPath);
}

// Windows starts its own programs, each console program in a console window.
// The tool's C runtime turns the command line into its ANSI code page, and
// its fopen takes no path of MAX_PATH characters or more: a source it could
// not open so goes by its short name.
ToolCommand toolCommand(const QString &program, const QStringList &arguments)
{
    ToolCommand command{program, arguments, {}, QString(), {}};
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return command;
    const QString &source = arguments.first();
    const QString full = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(source).absoluteFilePath()));
    const bool spelled = codePageSpells(source);
    const bool fits = full.size() < MAX_PATH;
    if (spelled && fits)
        return command;
    const QString shortened = shortPath(full);
    if (!shortened.isEmpty() && shortened.size() < MAX_PATH && codePageSpells(shortened))
        command.arguments.first() = shortened;
    else if (!spelled)
        command.problem = Messages::SourceOutsideCodePage.arg(source, QStringLiteral("windows-%1").arg(GetACP()));
    else
        command.problem = Messages::SourcePathTooLong.arg(source);
    return command;
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
