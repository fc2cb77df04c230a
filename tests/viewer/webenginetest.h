// What a test process needs before it creates the application object, when it
// runs the web engine in process.
#pragma once

#include "helpscheme.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace WebEngineTest {

// Adds Chromium options to the ones already in the environment (the viewer
// processes a test starts inherit them).
inline void addChromiumFlags(const QByteArray &flags)
{
    QByteArray all = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!all.isEmpty())
        all += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", all + flags);
}

inline void prepare()
{
#ifdef Q_OS_UNIX
    // The engine refuses to run as root with its sandbox on; only then, and
    // only here, it is turned off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    // No GPU on the offscreen platform; software drawing keeps the runs alike.
    addChromiumFlags("--disable-gpu --disable-background-networking");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // As the viewer program does.
    HelpScheme::registerScheme();
}

} // namespace WebEngineTest
