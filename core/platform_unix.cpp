// Linux and the other systems that are not Windows: the file look-up, the
// tool started in a session of its own (a Windows tool through Wine, in a
// terminal window), the settings file.
#include "platform.h"
#include "platform_unix.h"

#include "messages.h"
#include "toolfile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QSet>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#ifdef __GLIBC__
#  include <malloc.h>
#endif
#include <fcntl.h>
#include <poll.h>
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

namespace {

// The mounted file systems (/proc/self/mountinfo), read again when the kernel
// reports that the table changed.
class MountTable
{
public:
    QMutex mutex; // held while the table is read or used

    // Whether the file system mounted at `path` (absolute, without links) is
    // one of a local disk's kinds; `above`, that of the folder above it, when
    // nothing is mounted there.
    bool isLocalAt(const QByteArray &path, bool above) const { return points.value(path, above); }
    // Whether every file system mounted is local: then no path can lead
    // anywhere else.
    bool allLocal() const { return allAreLocal; }

    // Reads the table again when it has changed since it was last read.
    void refresh()
    {
        if (fd >= 0) {
            pollfd p{fd, POLLPRI, 0};
            if (::poll(&p, 1, 0) == 0)
                return;
            ::lseek(fd, 0, SEEK_SET);
        } else {
            fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return; // no table: every path counts as one that may stall
        }
        QByteArray table;
        char buffer[16384];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            table.append(buffer, n);
        points.clear();
        for (const QByteArray &line : table.split('\n')) {
            // "id parent major:minor root point options [optional...] - type source ..."
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
                continue;
            // The last of equal mount points is the one on top.
            points.insert(unescape(fields[4]), localKinds().contains(fields[dash + 1]));
        }
        allAreLocal = !points.isEmpty() && !points.values().contains(false);
    }

    // Blanks, tabs, newlines and backslashes in a mount point are written as \ooo.
    static QByteArray unescape(const QByteArray &field)
    {
        QByteArray out;
        for (qsizetype i = 0; i < field.size(); ++i) {
            if (field[i] == '\\' && i + 3 < field.size()) {
                out.append(char(field.mid(i + 1, 3).toInt(nullptr, 8)));
                i += 3;
            } else {
                out.append(field[i]);
            }
        }
        return out;
    }

    // The kinds of a disk inside the machine and of the kernel's own. Not
    // here, so counted as may-stall: network file systems (nfs, cifs, smb3,
    // 9p, ceph, afs, glusterfs, davfs), FUSE (fuse.*, fuseblk), autofs, the
    // kinds of removable media (vfat, exfat, ntfs, iso9660, udf) and any kind
    // not known.
    static const QSet<QByteArray> &localKinds()
    {
        static const QSet<QByteArray> kinds{
            "ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "jfs", "reiserfs", "zfs", "bcachefs", "nilfs2",
            "overlay", "tmpfs", "ramfs", "devtmpfs", "proc", "sysfs", "devpts", "mqueue", "cgroup", "cgroup2",
            "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs", "hugetlbfs", "efivarfs",
            "binfmt_misc", "squashfs", "erofs"};
        return kinds;
    }

private:
    int fd = -1;
    QHash<QByteArray, bool> points; // mount point: whether local
    bool allAreLocal = false;
};

} // namespace

bool mayStall(const QString &path)
{
    static MountTable table;
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    QMutexLocker lock(&table.mutex);
    table.refresh();
    if (table.allLocal())
        return false;
    QByteArray rest = QFile::encodeName(
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    // The path's folders one by one, links followed by hand, so that no
    // question reaches a file system before it is known to be local.
    QByteArray done; // resolved so far, without links; "" is the root
    QVarLengthArray<bool, 32> local{table.isLocalAt("/", false)}; // at the root and each folder of `done`
    int links = 0;
    for (qsizetype at = 0; at < rest.size();) {
        qsizetype end = rest.indexOf('/', at);
        if (end < 0)
            end = rest.size();
        const QByteArrayView name(rest.constData() + at, end - at);
        at = end + 1;
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            if (local.size() > 1) {
                local.removeLast();
                done.truncate(done.lastIndexOf('/'));
            }
            continue;
        }
        const qsizetype above = done.size();
        done.append('/').append(name);
        const bool here = table.isLocalAt(done, local.last());
        if (!here)
            return true;
        struct stat st;
        if (::lstat(done.constData(), &st) != 0)
            return false; // nothing there: the look-up answers at once
        if (!S_ISLNK(st.st_mode)) {
            local.append(here);
            continue;
        }
        if (++links > 40)
            return false; // a loop of links, which the look-up reports at once
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : PATH_MAX, '\0');
        const ssize_t n = ::readlink(done.constData(), target.data(), target.size());
        if (n < 0)
            return false;
        target.truncate(n);
        done.truncate(above);
        if (target.startsWith('/')) {
            done.clear();
            local.resize(1);
        }
        rest = target + '/' + rest.mid(qMin(at, rest.size()));
        at = 0;
    }
    return !local.last();
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
    auto *process = new QProcess(running);
    process->setProgram(program);
    process->setArguments(arguments);
    if (!environment.isEmpty())
        process->setProcessEnvironment(environment);
    // No pipes: the tool shares Dravolt's standard output and error, so it
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

namespace {

// A program named by an environment variable: a path, or a name found in PATH.
QString programFromVariable(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        return QString();
    if (!value.contains(QLatin1Char('/')))
        return QStandardPaths::findExecutable(value);
    const QFileInfo info(value);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

// The option after which a terminal takes the command as separate arguments.
QString commandOptionOf(const QString &terminalProgram)
{
    const QString name = QFileInfo(terminalProgram).fileName();
    if (name == QLatin1String("gnome-terminal"))
        return QStringLiteral("--");
    if (name == QLatin1String("xfce4-terminal") || name == QLatin1String("mate-terminal")
        || name == QLatin1String("terminator"))
        return QStringLiteral("-x");
    return QStringLiteral("-e");
}

} // namespace

QString wineProgram()
{
    if (!qEnvironmentVariableIsEmpty("WINE"))
        return programFromVariable("WINE");
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

bool wineRuns32Bit(const QString &wine)
{
    // Wine keeps the Windows side of each half in <lib>/wine/<cpu>-windows
    // under its installation prefix. Only a Wine whose 64-bit half is there
    // and whose 32-bit half is not is known to refuse i386 programs; one laid
    // out otherwise is given the benefit of the doubt.
    const QString prefix = QFileInfo(QFileInfo(wine).canonicalFilePath()).dir().absolutePath()
                           + QStringLiteral("/..");
    bool has64 = false;
    for (const char *lib : {"lib", "lib64", "lib32", "lib/x86_64-linux-gnu", "lib/i386-linux-gnu"}) {
        const QString wineLib = prefix + QLatin1Char('/') + QLatin1String(lib) + QStringLiteral("/wine/");
        if (QFileInfo::exists(wineLib + QStringLiteral("i386-windows/kernel32.dll")))
            return true;
        has64 = has64 || QFileInfo::exists(wineLib + QStringLiteral("x86_64-windows/kernel32.dll"));
    }
    return !has64;
}

QProcessEnvironment wineEnvironment(const QProcessEnvironment &environment)
{
    QProcessEnvironment changed = environment;
    // Wine's own diagnostics would fill the tool's window; a user who asks
    // for them with WINEDEBUG still gets them.
    if (!changed.contains(QStringLiteral("WINEDEBUG")))
        changed.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    const QString all = environment.value(QStringLiteral("LC_ALL"));
    const QString ctype = environment.value(QStringLiteral("LC_CTYPE"));
    const QString lang = environment.value(QStringLiteral("LANG"));
    const QString effective = !all.isEmpty() ? all : !ctype.isEmpty() ? ctype : lang;
    if (locale_t locale = newlocale(LC_CTYPE_MASK, effective.isEmpty() ? "C" : effective.toUtf8().constData(),
                                    locale_t(nullptr))) {
        const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
        freelocale(locale);
        if (utf8)
            return changed;
    }
    // LC_ALL would overrule LC_CTYPE: what it chose goes to LANG instead.
    if (!all.isEmpty()) {
        changed.remove(QStringLiteral("LC_ALL"));
        changed.insert(QStringLiteral("LANG"), all);
    }
    changed.insert(QStringLiteral("LC_CTYPE"), QStringLiteral("C.UTF-8"));
    return changed;
}

QString winePrefix(const QProcessEnvironment &environment)
{
    const QString prefix = environment.value(QStringLiteral("WINEPREFIX"));
    if (!prefix.isEmpty())
        return prefix;
    const QString home = environment.value(QStringLiteral("HOME"));
    return (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.wine");
}

namespace {

// The Windows form of a path (windowsPath), and the part of the Linux path
// that it spells after its drive: the names Windows sees.
struct WindowsForm
{
    QString path;
    QString names;
};

WindowsForm windowsForm(const QString &path, const QString &prefix)
{
    if (path.isEmpty())
        return {};
    const QString absolute =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);

    // The drives: the links a: to z: in dosdevices (its other entries are
    // devices), each known by the folder it reaches. Wine makes the links
    // on its first start in a prefix: C: its drive_c and Z: the root.
    struct Drive
    {
        char letter;
        dev_t device;
        ino_t inode;
    };
    Drive drives[26];
    int driveCount = 0;
    struct stat st;
    const QByteArray root = QFile::encodeName(prefix);
    const QByteArray devices = root + "/dosdevices/";
    const bool linked = ::stat(devices.constData(), &st) == 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        QByteArray target;
        if (linked)
            target = devices + letter + ':';
        else if (letter == 'c')
            target = root + "/drive_c";
        else if (letter == 'z')
            target = "/";
        if (!target.isEmpty() && ::stat(target.constData(), &st) == 0)
            drives[driveCount++] = {letter, st.st_dev, st.st_ino};
    }

    // The path's nearest folder that is a drive's, the path itself first;
    // the first letter wins where two drives reach the same folder.
    QString folder = absolute;
    for (;;) {
        if (::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            for (int i = 0; i < driveCount; ++i) {
                if (drives[i].device != st.st_dev || drives[i].inode != st.st_ino)
                    continue;
                QString rest = folder == QLatin1String("/") ? absolute : absolute.mid(folder.size());
                if (rest.isEmpty())
                    rest = QStringLiteral("/");
                return {QString(QLatin1Char(char(drives[i].letter - 'a' + 'A'))) + QLatin1Char(':')
                            + QString(rest).replace(QLatin1Char('/'), QLatin1Char('\\')),
                        rest};
            }
        }
        if (folder == QLatin1String("/"))
            break;
        folder.truncate(qMax(1, int(folder.lastIndexOf(QLatin1Char('/')))));
    }
    return {QStringLiteral("\\\\?\\unix") + QString(absolute).replace(QLatin1Char('/'), QLatin1Char('\\')), absolute};
}

} // namespace

QString windowsPath(const QString &path, const QString &prefix)
{
    return windowsForm(path, prefix).path;
}

Terminal terminal()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    const QString chosen = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    if (!chosen.isEmpty())
        return {chosen, QStringLiteral("-e")};
    const QString user = programFromVariable("TERMINAL");
    if (!user.isEmpty())
        return {user, commandOptionOf(user)};
    for (const char *name : {"xterm", "konsole", "gnome-terminal", "xfce4-terminal", "mate-terminal",
                             "alacritty"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return {found, commandOptionOf(found)};
    }
    return {};
}

namespace {

// How long the questions to Wine about one start may take together: within
// the 2 s that a press waits for the start to be prepared, so that one Wine
// does not answer in time for gets its own warning. A Wine server that is
// running answers in 0.05 to 0.3 s, one that has to start first in 0.3 to
// 1.5 s (a busy machine), one that creates a new prefix in seconds.
constexpr int WineAnswerMs = 1800;
// Windows programs of the tool's age open no longer path (MAX_PATH, its
// terminating zero included).
constexpr qsizetype MaxPath = 260;

// The standard output of `wine <arguments>`; `inTime` false when it had not
// ended by `deadline` (it is then ended), `output` empty when it failed.
struct WineAnswer
{
    bool inTime = true;
    QByteArray output;
};

WineAnswer askWine(const QString &wine, const QStringList &arguments, const QProcessEnvironment &environment,
                   const QDeadlineTimer &deadline)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(wine, arguments);
    if (!process.waitForFinished(int(qMax<qint64>(1, deadline.remainingTime())))) {
        if (process.state() == QProcess::NotRunning)
            return {}; // it did not start
        // A Wine starting a new prefix goes on with it without this program.
        process.kill();
        process.waitForFinished();
        return {false, {}};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return {true, process.readAllStandardOutput()};
}

// The ANSI code page, GetACP(), of a program that Wine runs in
// `environment`: 0 when Wine does not tell. Wine takes it from the locale's
// character type and writes it into the prefix's registry as each program
// starts, so reg.exe reads back the one the tool will have. Asked once for
// each Wine and environment.
struct CodePageAnswer
{
    bool inTime = true;
    uint codePage = 0;
};

CodePageAnswer wineCodePage(const QString &wine, const QProcessEnvironment &environment,
                            const QDeadlineTimer &deadline)
{
    static QMutex mutex;
    static QHash<QString, uint> known;
    const QString key = wine + QChar(0) + environment.toStringList().join(QChar(0));
    {
        const QMutexLocker lock(&mutex);
        if (const auto found = known.constFind(key); found != known.cend())
            return {true, *found};
    }
    const WineAnswer answer =
        askWine(wine,
                {QStringLiteral("reg.exe"), QStringLiteral("query"),
                 QStringLiteral("HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage"), QStringLiteral("/v"),
                 QStringLiteral("ACP")},
                environment, deadline);
    if (!answer.inTime)
        return {false, 0};
    static const QRegularExpression value(QStringLiteral("\\bACP\\s+REG_SZ\\s+(\\d+)"));
    const uint codePage = value.match(QString::fromLatin1(answer.output)).captured(1).toUInt();
    if (codePage != 0) {
        const QMutexLocker lock(&mutex);
        known.insert(key, codePage);
    }
    return {true, codePage};
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Whether a program whose ANSI code page is `codePage` (0: not known) gets
// `text` unchanged: every letter spelled, none replaced or approximated.
bool codePageSpells(uint codePage, QStringView text)
{
    if (isAscii(text) || codePage == 65001) // UTF-8
        return true;
    if (codePage == 0)
        return false;
    QStringEncoder encoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
    if (!encoder.isValid())
        return false;
    const QByteArray encoded = encoder.encode(text); // converts, and so tells hasError()
    return !encoder.hasError();
}

// Whether every name in `path`, separated by `separator`, is one Windows
// allows: none of < > " | ? *, the other separator or a control character,
// none ending in a blank or a dot. A ':' within a name passes: Wine opens
// such a name as it stands, and its short name keeps the ':'.
bool windowsAllowsNames(QStringView path, QChar separator)
{
    static const QString forbidden = QStringLiteral("<>\"|?*\\/");
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == separator) {
            if (i > begin && (path[i - 1] == QLatin1Char(' ') || path[i - 1] == QLatin1Char('.')))
                return false;
            begin = i + 1;
        } else if (path[i].unicode() < 0x20 || forbidden.contains(path[i])) {
            return false;
        }
    }
    return true;
}

// The source in the form a Windows program of the tool's kind (main, fopen:
// its arguments in its ANSI code page) can open under Wine: its Windows form,
// or where that holds letters the code page cannot spell, characters Windows
// does not allow in names, or more than MAX_PATH, the prefix's short (8.3)
// name of the file. Empty, with the reason in *problem, when there is none.
QString wineSource(const QString &source, const QString &wine, const QProcessEnvironment &environment,
                   QString *problem)
{
    const WindowsForm form = windowsForm(source, winePrefix(environment));
    // A backslash in a Linux name would split it into two in Windows' eyes,
    // naming another file or none.
    const bool allowed = windowsAllowsNames(form.names, QLatin1Char('/'));
    const bool fits = form.path.size() < MaxPath;
    const QDeadlineTimer deadline(WineAnswerMs);
    const CodePageAnswer codePage =
        isAscii(form.path) ? CodePageAnswer{true, 0} : wineCodePage(wine, environment, deadline);
    const QString noAnswer = Messages::NoAnswerFromWine.arg(QString::number(WineAnswerMs / 1000.0), source);
    if (!codePage.inTime) {
        *problem = noAnswer;
        return QString();
    }
    const bool spelled = codePageSpells(codePage.codePage, form.path);
    if (allowed && fits && spelled)
        return form.path;

    QString shortName;
    if (!form.names.contains(QLatin1Char('\\'))) {
        // The \\?\ form lifts MAX_PATH and keeps a trailing blank or dot.
        const QString device = QStringLiteral("\\\\?\\");
        const bool addDevice = !form.path.startsWith(device);
        const WineAnswer answer = askWine(
            wine, {QStringLiteral("winepath.exe"), QStringLiteral("-s"), addDevice ? device + form.path : form.path},
            environment, deadline);
        if (!answer.inTime) {
            *problem = noAnswer;
            return QString();
        }
        shortName = QString::fromUtf8(answer.output);
        while (shortName.endsWith(QLatin1Char('\n')) || shortName.endsWith(QLatin1Char('\r')))
            shortName.chop(1);
        if (addDevice && shortName.startsWith(device))
            shortName.remove(0, device.size());
    }
    if (!shortName.isEmpty() && shortName.size() < MaxPath && codePageSpells(codePage.codePage, shortName)
        && windowsAllowsNames(QStringView(shortName).mid(shortName.startsWith(QLatin1Char('\\')) ? 4 : 0),
                              QLatin1Char('\\')))
        return shortName;
    *problem = !allowed   ? Messages::SourceForbiddenCharacters.arg(source)
               : !spelled ? Messages::SourceOutsideCodePage.arg(
                                source, codePage.codePage ? QStringLiteral("windows-%1").arg(codePage.codePage)
                                                          : QStringLiteral("which Wine did not tell"))
                          : Messages::SourcePathTooLong.arg(source);
    return QString();
}

} // namespace

ToolCommand toolCommand(const QString &program, const QStringList &arguments)
{
    ToolCommand command{program, arguments, {}, QString()};
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
    const Terminal window = terminal();
    if (!window.program.isEmpty()) {
        command.arguments.prepend(command.program);
        command.arguments.prepend(window.commandOption);
        command.program = window.program;
    }
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
