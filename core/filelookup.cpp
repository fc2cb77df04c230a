#include "filelookup.h"

#include "platform.h"

namespace FileLookup {

QString fileName(const QString &path)
{
    return Platform::storedFileName(path);
}

QString fileNameWithin(const QString &path, int ms)
{
    const LookupWorker::JobPtr job = LookupWorker::lookUp(path);
    return LookupWorker::waitProcessingEvents(job, ms) ? LookupWorker::answer(job) : QString();
}

QString Watch::remember(const QString &name)
{
    lastName = name;
    return name;
}

QString Watch::fileName(const QString &path)
{
    if (path.isEmpty())
        return remember(QString());
    auto adopt = [this] {
        if (pending && LookupWorker::isDone(pending)) {
            answeredPath = LookupWorker::path(pending);
            answeredName = LookupWorker::answer(pending);
            pending.reset();
        }
    };
    adopt();
    if (!pending) {
        // A look-up of this path that a press asked for answers for the ticks too.
        const LookupWorker::JobPtr now = LookupWorker::running();
        if (now && LookupWorker::kind(now) == LookupWorker::Kind::Lookup && LookupWorker::path(now) == path)
            pending = now;
    }
    if (!pending && !LookupWorker::busy()) {
        pending = LookupWorker::lookUp(path);
        LookupWorker::waitFor(pending, TickWaitMs);
        adopt();
    }
    if (pending && LookupWorker::runningFor(pending) >= NotFoundAfterMs)
        return remember(QString());
    if (answeredPath == path) {
        waitingSince.invalidate();
        return remember(answeredName);
    }
    if (!waitingSince.isValid() || waitingPath != path) {
        waitingPath = path;
        waitingSince.start();
    }
    return remember(waitingSince.elapsed() >= NotFoundAfterMs ? QString() : lastName);
}

} // namespace FileLookup
