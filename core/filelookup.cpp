#include "filelookup.h"

#include "platform.h"

namespace FileLookup {

namespace {

// Whether to ask on the spot rather than through the look-up worker.
bool onTheSpot(const QString &path)
{
    return !LookupWorker::stallingForTesting() && !Platform::mayStall(path);
}

} // namespace

QString fileName(const QString &path)
{
    return Platform::storedFileName(path);
}

QString fileNameWithin(const QString &path, int ms)
{
    if (onTheSpot(path))
        return fileName(path);
    const QFuture<QString> answer = LookupWorker::lookUp(path);
    if (!LookupWorker::waitProcessingEvents(QFuture<void>(answer), ms) || answer.resultCount() == 0)
        return QString();
    return answer.result();
}

void Watch::ask()
{
    // A local disk is asked on the spot: cheaper than a hand-off, and the
    // answer is there at this very tick.
    if (onTheSpot(path)) {
        pending = {};
        answered = true;
        answer = FileLookup::fileName(path);
        answeredAt.start();
        return;
    }
    pending = LookupWorker::lookUp(path);
    askedAt.start();
}

QString Watch::fileName(const QString &text)
{
    if (text.isEmpty()) {
        path.clear();
        pending = {};
        answered = false;
        return QString();
    }
    if (text != path) {
        path = text;
        answered = false;
        ask();
    }
    if (pending.isValid() && pending.isFinished()) {
        answered = true;
        answer = pending.resultCount() > 0 ? pending.result() : QString();
        answeredAt.start();
        pending = {};
    }
    if (!pending.isValid() && answeredAt.hasExpired(RefreshMs))
        ask();
    if (givenUp() || !answered)
        return QString();
    return answer;
}

} // namespace FileLookup
