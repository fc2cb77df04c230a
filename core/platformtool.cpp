#include "platformtool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#  include <clocale>
#  include <cstring>
#  include <langinfo.h>
#  include <locale.h>
#  include <sys/stat.h>
#endif

namespace ToolFile {

namespace {

quint32 littleEndian(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// A PE program: the signature at `header`, then the file header, the optional
// header and the section table, all within what was read, and every section's
// data within the file.
Kind classifyPe(const QByteArray &head, qint64 fileSize, qsizetype header)
{
    const qsizetype optional = header + 24;
    if (optional > head.size())
        return Kind::DamagedWindows;
    const quint32 machine = littleEndian(head, header + 4, 2);
    const quint32 sections = littleEndian(head, header + 6, 2);
    const quint32 optionalSize = littleEndian(head, header + 20, 2);
    const qsizetype table = optional + optionalSize;
    if (sections == 0 || optionalSize < 2 || table + 40 * qsizetype(sections) > head.size())
        return Kind::DamagedWindows;
    for (quint32 i = 0; i < sections; ++i) {
        const qsizetype section = table + 40 * i;
        const qint64 size = littleEndian(head, section + 16, 4);
        const qint64 offset = littleEndian(head, section + 20, 4);
        if (size > 0 && offset + size > fileSize)
            return Kind::DamagedWindows;
    }
    const quint32 magic = littleEndian(head, optional, 2); // 0x10b: 32-bit, 0x20b: 64-bit
    if (machine == 0x8664)
        return magic == 0x20b ? Kind::Windows64 : Kind::DamagedWindows;
    if (machine == 0x14c)
        return magic == 0x10b ? Kind::Windows32 : Kind::DamagedWindows;
    return magic == 0x10b || magic == 0x20b ? Kind::WindowsOther : Kind::DamagedWindows;
}

} // namespace

Kind classify(const QByteArray &head, qint64 fileSize)
{
    if (head.startsWith("\x7f" "ELF") || head.startsWith("#!"))
        return Kind::Native;
    if (!head.startsWith("MZ"))
        return Kind::NotAProgram;
    // The DOS header: 28 bytes, its own size in paragraphs, the image size in pages.
    if (head.size() < 28)
        return Kind::DamagedWindows;
    const quint32 lastPageBytes = littleEndian(head, 2, 2);
    const quint32 pages = littleEndian(head, 4, 2);
    const quint32 headerParagraphs = littleEndian(head, 8, 2);
    const quint32 relocationsAt = littleEndian(head, 0x18, 2);
    // A relocation table at 0x40 or later marks a newer header, named at 0x3C.
    if (relocationsAt >= 0x40 && head.size() >= 64) {
        const qint64 header = littleEndian(head, 0x3C, 4);
        if (header < 64 || header + 4 > head.size())
            return Kind::DamagedWindows;
        const QByteArray signature = head.mid(header, 4);
        if (signature == QByteArray("PE\0\0", 4))
            return classifyPe(head, fileSize, header);
        // NE, LE, LX: 16-bit Windows and DOS extenders, which Wine on a
        // 64-bit system does not run either.
        if (signature.startsWith("NE") || signature.startsWith("LE") || signature.startsWith("LX"))
            return Kind::Dos;
        return Kind::DamagedWindows;
    }
    const qint64 image = qint64(pages) * 512 - (lastPageBytes ? 512 - lastPageBytes : 0);
    if (pages == 0 || headerParagraphs == 0 || qint64(headerParagraphs) * 16 > fileSize || image > fileSize)
        return Kind::DamagedWindows;
    return Kind::Dos;
}

Kind classifyFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::NotAProgram;
    return classify(file.read(64 * 1024), file.size());
}

} // namespace ToolFile

namespace Platform {

#ifdef Q_OS_WIN

// Windows starts its own programs, each console program in a console window.
ToolCommand toolCommand(const QString &program, const QStringList &arguments)
{
    return {program, arguments, {}, QString()};
}

#else

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

const QString ReasonNoWine = QStringLiteral(
    "It is a Windows program, and no Wine was found to run it.\n"
    "Install Wine to run Windows programs (Debian: apt install wine)");
const QString ReasonNo32BitWine = QStringLiteral(
    "It is a 32-bit Windows program (i386), and this Wine runs only 64-bit ones.\n"
    "On Debian, add the i386 architecture and install the wine32 package, as root:\n"
    "dpkg --add-architecture i386 && apt update && apt install wine32:i386");
const QString ReasonOtherProcessor = QStringLiteral(
    "It is a Windows program for another kind of processor, which Wine cannot run on this machine.");
const QString ReasonDos = QStringLiteral(
    "It is a DOS program, which Wine does not run.\n"
    "A DOS emulator does (Debian: apt install dosbox).");
const QString ReasonDamaged = QStringLiteral(
    "It begins like a Windows program but is not a valid one: it may be damaged or incomplete.\n"
    "Copy Quenlar.exe again and choose the copy.");
const QString ReasonNotExecutable = QStringLiteral("The file is not executable.");
const QString ReasonNotAProgram = QStringLiteral(
    "The file is not a program, and it is not executable.\n"
    "Choose Quenlar.exe itself on the Options page.");

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

QString windowsPath(const QString &path, const QString &prefix)
{
    if (path.isEmpty())
        return path;
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
                return QString(QLatin1Char(char(drives[i].letter - 'a' + 'A'))) + QLatin1Char(':')
                       + rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
            }
        }
        if (folder == QLatin1String("/"))
            break;
        folder.truncate(qMax(1, int(folder.lastIndexOf(QLatin1Char('/')))));
    }
    return QStringLiteral("\\\\?\\unix") + QString(absolute).replace(QLatin1Char('/'), QLatin1Char('\\'));
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
            command.problem = ReasonNotExecutable;
        break;
    case ToolFile::Kind::NotAProgram:
        // Left to the system when marked executable, as a program of a kind
        // not known here may still run.
        if (!info.isExecutable())
            command.problem = ReasonNotAProgram;
        break;
    case ToolFile::Kind::Dos:
        command.problem = ReasonDos;
        break;
    case ToolFile::Kind::DamagedWindows:
        command.problem = ReasonDamaged;
        break;
    case ToolFile::Kind::WindowsOther:
        command.problem = ReasonOtherProcessor;
        break;
    case ToolFile::Kind::Windows32:
    case ToolFile::Kind::Windows64: {
        const QString wine = wineProgram();
        if (wine.isEmpty())
            command.problem = ReasonNoWine;
        else if (kind == ToolFile::Kind::Windows32 && !wineRuns32Bit(wine))
            command.problem = ReasonNo32BitWine;
        command.program = wine;
        command.environment = wineEnvironment(QProcessEnvironment::systemEnvironment());
        // A Windows program takes an argument that begins with "/" for a
        // switch: the source goes in the form Wine's programs know it by.
        if (!command.arguments.isEmpty())
            command.arguments.first() = windowsPath(command.arguments.first(), winePrefix(command.environment));
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

#endif

} // namespace Platform
