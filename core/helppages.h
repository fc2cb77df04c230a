// Addresses of the project's help pages on its web host.
#pragma once

#include "version.h"

#include <QString>

class QUrl;

namespace HelpPages {

// "http://" + host + "/kvrg/quenlar/": the project's page, as About shows it.
inline QString projectAddress()
{
    return QStringLiteral("http://") + QLatin1String(Version::WebHost) + QStringLiteral("/kvrg/quenlar/");
}
// The main guide page, opened by the switches' Details button.
inline QString guideAddress() { return projectAddress() + QStringLiteral("dravolt.html"); }
// The page on unique base file names, opened by More in File Info Details.
inline QString uniqueNamesAddress() { return projectAddress() + QStringLiteral("dravoltunique.html"); }

// The copy of the pages that ships with Dravolt: the folder that holds
// kvrg/quenlar/, looked for beside the running program (the build tree, a
// Windows folder) and then in the installed data folder
// (<prefix>/share/doc/dravolt/help beside <prefix>/bin). "" when there is none.
QString installedFolder();
// For tests: look in this folder instead; an empty text restores the default.
void setInstalledFolder(const QString &folder);

// The installed file that answers an address under projectAddress() (http, the
// web host in any case, a path below /kvrg/quenlar/ once "." and ".." are
// resolved), or "" for any other address and for a path with no such file.
// The answer never lies outside the installed folder.
QString installedFile(const QUrl &address);

} // namespace HelpPages
