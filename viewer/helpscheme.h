// The installed copy of the help pages inside the web engine: the project's
// addresses (http://<web host>/kvrg/quenlar/...) are sent to the scheme
// "dravolt-help", whose handler answers from the installed folder
// (HelpPages::installedFile). The web host itself is asked first only when the
// build says so (DRAVOLT_HELP_FROM_WEB); then the installed copy stands in for
// a web copy that cannot be fetched.
#pragma once

#include <QUrl>

class QWebEngineProfile;

namespace HelpScheme {

// Registers the scheme with the engine: before the application object exists.
void registerScheme();

// Serves the scheme in the profile and, unless the web copy is asked first,
// sends the project's addresses to it. Once per profile is enough; again does
// nothing.
void installOn(QWebEngineProfile *profile);

// The installed copy's address (dravolt-help://<web host>/kvrg/quenlar/...)
// for an address under the project's page, or an empty address for any other.
QUrl installedAddress(const QUrl &address);

// The published address that an installed copy's address stands for
// (http://<web host>/...); any other address as it is.
QUrl publishedAddress(const QUrl &address);

// Whether the web host is asked first: the build's choice unless a test has
// changed it.
bool webFirst();
void setWebFirst(bool first);

// How long the web copy may take before the installed copy is shown instead.
constexpr int WebTimeoutMs = 5000;

} // namespace HelpScheme
