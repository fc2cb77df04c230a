// The web host's copy of a help page, asked for before the installed copy in
// a build made for a host that really serves the pages (DRAVOLT_HELP_FROM_WEB).
#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>

class QObject;

namespace WebCopy {

// Whether this build asks the web host first.
bool enabled();

// How long the web copy may take before the installed copy is shown instead.
constexpr int TimeoutMs = 5000;

// Asks the web host for the address through the system's proxy settings and
// calls `done` on the caller's thread with the body of a successful answer,
// or with a null array when there is none within TimeoutMs (no network, no
// such host, refused, dropped, an error status). Never calls `done` once
// `context` is gone. In a build that does not ask the web, `done` gets a null
// array at once.
void fetch(QObject *context, const QUrl &address, const std::function<void(const QByteArray &)> &done);

} // namespace WebCopy
