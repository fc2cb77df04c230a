// Waiting for "nothing happened" without a fixed sleep: what the code under
// test posts to the event loop runs before a marker posted after it.
#pragma once

#include <QCoreApplication>
#include <QTest>

#include <memory>

// Returns once everything posted to the event loop so far has run.
inline bool runPostedEvents(int timeoutMs = 5000)
{
    auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([reached] { return *reached; }, timeoutMs);
}
