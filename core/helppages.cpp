#include "helppages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace HelpPages {

namespace {
QString folderOverride;
} // namespace

QString installedFolder()
{
    if (!folderOverride.isEmpty())
        return folderOverride;
    const QString program = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {program + QStringLiteral("/help"),
                                     program + QLatin1Char('/') + QLatin1String(Version::InstalledHelp)}) {
        if (QFileInfo(candidate + pagesPath()).isDir())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

void setInstalledFolder(const QString &folder)
{
    folderOverride = folder;
}

bool isProjectAddress(const QUrl &address)
{
    return address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
           && address.host().compare(QLatin1String(Version::WebHost), Qt::CaseInsensitive) == 0
           && (address.port() == -1 || address.port() == 80) && address.path().startsWith(pagesPath());
}

QString installedFile(const QUrl &address)
{
    if (!isProjectAddress(address))
        return QString();
    // Decoded first, so that "%2e%2e" is resolved like ".."; no backslash or
    // colon, which Windows would read as a separator, a drive or a stream.
    const QString path = QDir::cleanPath(address.path(QUrl::FullyDecoded));
    if (!path.startsWith(pagesPath()) || path.contains(QChar(0)) || path.contains(QLatin1Char('\\'))
        || path.contains(QLatin1Char(':')))
        return QString();
    const QString folder = installedFolder();
    if (folder.isEmpty())
        return QString();
    const QFileInfo file(folder + path);
    return file.isFile() ? file.absoluteFilePath() : QString();
}

} // namespace HelpPages
