#include "lookupworker.h"

#include "filelookup.h"
#include "platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <deque>


namespace LookupWorker {

class Job
{
public:
    Job(Kind kind, const QString &path, std::function<void()> work)
        : kind(kind), path(path), work(std::move(work))
    {
    }

    const Kind kind;
    const QString path;
    // Everything below is guarded by the worker's mutex.
    std::function<void()> work; // Inspect only; dropped once run
    QString answer;             // Lookup only
    bool done = false;
    qint64 startedAt = -1; // on the worker's clock, ms
    qint64 took = -1;
    QList<QEventLoop *> waiting; // event loops of askers that wait for it
    // Released once when it is done, for an asker that blocks. Semaphores,
    // not wait conditions on the mutex: the status monitor hands a job over
    // and back on every tick, and a woken thread must not then sleep again
    // on a mutex the other one holds.
    QSemaphore finished;
};

namespace {

// Waited for on the spot before an asker turns to its event loop: a disk
// that answers at all answers well within it.
constexpr int ShortWaitMs = 5;

class Worker
{
public:
    QMutex mutex;
    QSemaphore queued; // one for each job in the queue
    std::deque<JobPtr> queue;
    JobPtr current;
    std::function<void(Kind, const QString &)> stall;
    QElapsedTimer clock;
    // Never deleted, nor the worker: the thread may be inside a look-up that
    // does not return when the program ends.
    QThread *const thread;

    Worker() : thread(QThread::create([this] { run(); }))
    {
        clock.start();
        thread->setObjectName(QStringLiteral("dravolt-lookup"));
        thread->start();
    }

    JobPtr add(JobPtr job)
    {
        {
            QMutexLocker lock(&mutex);
            queue.push_back(job);
        }
        queued.release();
        return job;
    }

private:
    void run()
    {
        Platform::prepareLookupThread();
        for (;;) {
            queued.acquire();
            QMutexLocker lock(&mutex);
            const JobPtr job = queue.front();
            queue.pop_front();
            current = job;
            job->startedAt = clock.elapsed();
            std::function<void(Kind, const QString &)> stallNow;
            if (stall)
                stallNow = stall;
            std::function<void()> work = std::move(job->work);
            lock.unlock();

            if (stallNow)
                stallNow(job->kind, job->path);
            QString answer;
            if (job->kind == Kind::Lookup)
                answer = FileLookup::fileName(job->path);
            else if (work)
                work();
            work = nullptr; // what it holds is let go of here, not under the lock

            lock.relock();
            job->answer = answer;
            job->took = clock.elapsed() - job->startedAt;
            job->done = true;
            current.reset();
            for (QEventLoop *loop : std::as_const(job->waiting))
                QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
            lock.unlock();
            job->finished.release();
        }
    }
};

Worker &worker()
{
    static Worker *const instance = new Worker;
    return *instance;
}

} // namespace

JobPtr lookUp(const QString &path)
{
    Worker &w = worker();
    {
        QMutexLocker lock(&w.mutex);
        for (const JobPtr &job : w.queue) {
            if (job->kind == Kind::Lookup && job->path == path)
                return job;
        }
    }
    return w.add(std::make_shared<Job>(Kind::Lookup, path, nullptr));
}

JobPtr inspect(const QString &path, std::function<void()> work)
{
    return worker().add(std::make_shared<Job>(Kind::Inspect, path, std::move(work)));
}

bool busy()
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    return w.current || !w.queue.empty();
}

JobPtr running()
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    return w.current;
}

Kind kind(const JobPtr &job)
{
    return job->kind;
}

QString path(const JobPtr &job)
{
    return job->path;
}

bool isDone(const JobPtr &job)
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    return job->done;
}

QString answer(const JobPtr &job)
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    return job->answer;
}

qint64 runningFor(const JobPtr &job)
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    if (job->done)
        return job->took;
    return job->startedAt < 0 ? -1 : w.clock.elapsed() - job->startedAt;
}

bool waitFor(const JobPtr &job, int ms)
{
    // The worker, just woken, mostly waits to run on this very processor:
    // letting it run there at once costs two switches of thread, where
    // sleeping until it wakes this thread again costs four.
    if (!job->finished.tryAcquire()) {
        QThread::yieldCurrentThread();
        if (!job->finished.tryAcquire(1, qMax(0, ms)))
            return false;
    }
    job->finished.release(); // for whoever waits for it next
    return true;
}

bool waitProcessingEvents(const JobPtr &job, int ms)
{
    const QDeadlineTimer deadline(ms);
    if (waitFor(job, qMin(ms, ShortWaitMs)))
        return true;
    QCoreApplication *const app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return waitFor(job, int(deadline.remainingTime()));

    Worker &w = worker();
    QEventLoop loop;
    {
        QMutexLocker lock(&w.mutex);
        if (job->done)
            return true;
        job->waiting.append(&loop);
    }
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(int(qMax<qint64>(0, deadline.remainingTime())));
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    // Taken off before the loop goes, so the worker never posts to it after.
    QMutexLocker lock(&w.mutex);
    job->waiting.removeOne(&loop);
    return job->done;
}

void setStallForTesting(std::function<void(Kind, const QString &)> stall)
{
    Worker &w = worker();
    QMutexLocker lock(&w.mutex);
    w.stall = std::move(stall);
}

} // namespace LookupWorker
