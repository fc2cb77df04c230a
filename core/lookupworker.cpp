#include "lookupworker.h"

#include "filelookup.h"
#include "platform.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QHash>
#include <QMutex>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>

#include <memory>

namespace LookupWorker {

namespace {

// Threads at once: three paths stuck on shares that do not answer leave one
// for the paths that do, and the program stays within eight threads with the
// window's, the window system's and those Qt converts images on.
constexpr int MaxThreads = 4;

struct Jobs
{
    QMutex mutex;
    // The newest unfinished job of each kind about each path (keyed by the
    // kind, then the path): a look-up is shared, other work runs after it.
    QHash<QString, QFuture<void>> newest;
    QHash<QString, QFuture<QString>> answers; // the look-ups among them
    std::function<void(Kind, const QString &)> stall;
    QThreadPool pool;
};

// Never deleted, so a job that returns from a stuck share while the program
// ends still finds it; nor is the pool, whose destructor would wait for such
// a job.
Jobs &jobs()
{
    static Jobs *const instance = [] {
        auto *j = new Jobs;
        j->pool.setObjectName(QStringLiteral("dravolt-lookup"));
        j->pool.setMaxThreadCount(MaxThreads);
        return j;
    }();
    return *instance;
}

QString keyOf(Kind kind, const QString &path)
{
    return QChar(kind == Kind::Lookup ? u'L' : u'I') + path;
}

// Forgets the jobs that have finished. The caller holds the mutex.
void dropFinished(Jobs &j)
{
    for (auto it = j.newest.begin(); it != j.newest.end();)
        it = it->isFinished() ? (j.answers.remove(it.key()), j.newest.erase(it)) : std::next(it);
}

// Runs `body` on the pool once the newest unfinished job of its kind about
// its path has finished. The caller holds the mutex.
template<typename T>
QFuture<T> schedule(Jobs &j, Kind kind, const QString &path, std::function<T()> body)
{
    auto promise = std::make_shared<QPromise<T>>();
    const QFuture<T> future = promise->future();
    promise->start();
    auto job = [&j, promise, kind, path, body = std::move(body)] {
        static thread_local bool prepared = false;
        if (!std::exchange(prepared, true))
            Platform::prepareLookupThread();
        QMutexLocker lock(&j.mutex);
        const std::function<void(Kind, const QString &)> stall = j.stall;
        lock.unlock();
        if (stall)
            stall(kind, path);
        if constexpr (std::is_void_v<T>)
            body();
        else
            promise->addResult(body());
        promise->finish();
    };
    const QString key = keyOf(kind, path);
    if (QFuture<void> before = j.newest.value(key); j.newest.contains(key))
        before.then(&j.pool, std::move(job));
    else
        j.pool.start(std::move(job));
    j.newest.insert(key, QFuture<void>(future));
    return future;
}

} // namespace

QFuture<QString> lookUp(const QString &path)
{
    Jobs &j = jobs();
    QMutexLocker lock(&j.mutex);
    dropFinished(j);
    const QString key = keyOf(Kind::Lookup, path);
    if (!j.answers.contains(key))
        j.answers.insert(key, schedule<QString>(j, Kind::Lookup, path, [path] { return FileLookup::fileName(path); }));
    return j.answers.value(key);
}

QFuture<void> inspect(const QString &path, std::function<void()> work)
{
    Jobs &j = jobs();
    QMutexLocker lock(&j.mutex);
    dropFinished(j);
    return schedule<void>(j, Kind::Inspect, path, std::move(work));
}

bool waitProcessingEvents(const QFuture<void> &job, int ms)
{
    if (job.isFinished())
        return true;
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(qMax(0, ms), &loop, &QEventLoop::quit);
    watcher.setFuture(job);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job.isFinished();
}

bool busy()
{
    Jobs &j = jobs();
    QMutexLocker lock(&j.mutex);
    dropFinished(j);
    return !j.newest.isEmpty();
}

void setStallForTesting(std::function<void(Kind, const QString &)> stall)
{
    Jobs &j = jobs();
    QMutexLocker lock(&j.mutex);
    j.stall = std::move(stall);
}

bool stallingForTesting()
{
    Jobs &j = jobs();
    QMutexLocker lock(&j.mutex);
    return bool(j.stall);
}

} // namespace LookupWorker
