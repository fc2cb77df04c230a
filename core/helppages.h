// The project's help pages: their addresses on its web host, which addresses
// are the project's, and the copy installed with Dravolt that answers them.
#pragma once

#include "version.h"

#include <QString>

class QUrl;

namespace HelpPages {

// The folder of the help pages on the project's web host.
inline QString pagesPath() { return QStringLiteral("/kvrg/quenlar/"); }
// "http://" + host + pagesPath(): the project's page, as About shows it.
inline QString projectAddress()
{
    return QStringLiteral("http://") + QLatin1String(Version::WebHost) + pagesPath();
}
// The main guide page, opened by the switches' Details button.
inline QString guideAddress() { return projectAddress() + QStringLiteral("dravolt.html"); }
// The page on unique base file names, opened by More in File Info Details.
inline QString uniqueNamesAddress() { return projectAddress() + QStringLiteral("dravoltunique.html"); }

// The copy of the pages that ships with Dravolt: the folder that holds
// kvrg/quenlar/, looked for beside the running program (the build tree, a
// Windows folder) and then where the install put it (<prefix>/share/dravolt/help
// beside <prefix>/bin). "" when there is none.
QString installedFolder();
// For tests: look in this folder instead; an empty text restores the default.
void setInstalledFolder(const QString &folder);

// Whether the address is the project's: http, the web host in any letter
// case, port 80, a path below /kvrg/quenlar/ as written. Such addresses are
// answered from the installed copy; any other is left to the system's browser.
bool isProjectAddress(const QUrl &address);

// The installed file that answers a project address (once "." and ".." are
// resolved, still below /kvrg/quenlar/), or "" for any other address and for
// a path with no such file. The answer never lies outside the installed folder.
QString installedFile(const QUrl &address);

} // namespace HelpPages
