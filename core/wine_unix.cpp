// A Windows tool through Wine: its program, environment and prefix, and the
// Windows form of a path. The name by which the tool can open its source:
// wine_names_unix.cpp.
#include "wine_unix.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>

namespace Platform {

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
    // Wine 10 (Debian 13) ends at its start with TMPDIR set, even to /tmp
    // ("free(): invalid pointer"). A Windows program takes its temporary
    // folder from Wine's own TEMP, so the tool loses nothing without it.
    changed.remove(QStringLiteral("TMPDIR"));
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

QString windowsPath(const QString &path, const QString &prefix)
{
    return windowsForm(path, prefix).path;
}

} // namespace Platform
