// The status monitor and the look-up worker in tests: a tick that shows its
// own look-up's answer, a file system that stops answering (through the
// worker's test seam), and a watch on the event loop's answers.
#pragma once

#include "frmQuenlar.h"
#include "lookupworker.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

// A tick takes the answers the file system has given by then; one more tick,
// once the look-up it asked for has answered, shows that answer.
inline void tickAnswered(frmQuenlar *form)
{
    form->timer1Tick();
    const FileLookup::Watch &watch = form->toolLocationWatch();
    if (watch.waiting() && QTest::qWaitFor([&watch] { return !watch.waiting(); }, 10000))
        form->timer1Tick();
}

// Every job of the worker of one kind about the given paths (any path when
// none is given) takes `ms` (3 s), as on a share whose server has gone to
// sleep, until release().
class StalledFileSystem
{
public:
    StalledFileSystem(LookupWorker::Kind kind, const QStringList &paths = {}, int ms = 3000)
    {
        LookupWorker::setStallForTesting([state = state, kind, paths, ms](LookupWorker::Kind k, const QString &p) {
            if (k != kind || (!paths.isEmpty() && !paths.contains(p)))
                return;
            const QDeadlineTimer stall(ms);
            while (!state->released && !stall.hasExpired())
                QThread::msleep(5);
            state->answered = true;
        });
    }
    StalledFileSystem(LookupWorker::Kind kind, const QString &path)
        : StalledFileSystem(kind, path.isEmpty() ? QStringList() : QStringList(path))
    {
    }
    ~StalledFileSystem()
    {
        release();
        // What it stalled has answered before the next test begins.
        if (!QTest::qWaitFor([] { return !LookupWorker::busy(); }, 10000))
            qWarning("the look-up worker is still busy");
    }
    // The share answers again: what is stalled answers at once.
    void release()
    {
        LookupWorker::setStallForTesting({});
        state->released = true;
    }
    // Whether a stalled job has given its answer.
    bool answered() const { return state->answered; }

private:
    struct State
    {
        std::atomic<bool> released{false};
        std::atomic<bool> answered{false};
    };
    std::shared_ptr<State> state = std::make_shared<State>();
};

// The longest the event loop took to serve a 10 ms timer, from now on.
class EventLoopWatch
{
public:
    EventLoopWatch()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longest = qMax(longest, sinceLast.restart() - 10);
        });
        sinceLast.start();
        timer.start();
    }
    qint64 longestMs() const { return qMax(longest, sinceLast.elapsed() - 10); }

private:
    QTimer timer;
    QElapsedTimer sinceLast;
    qint64 longest = 0;
};
