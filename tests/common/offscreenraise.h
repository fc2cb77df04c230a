// The offscreen platform cannot raise windows and warns at every showing of a
// tool window; the warning says nothing about the code under test.
#pragma once

#include <QtGlobal>

inline void quietAboutRaising()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (message != QLatin1String("This plugin does not support raise()"))
            previous(type, context, message);
    });
}
