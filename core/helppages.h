// Addresses of the project's help pages on its web host.
#pragma once

#include "version.h"

#include <QString>

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

} // namespace HelpPages
