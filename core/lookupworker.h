// The one thread that asks the file system on behalf of the user-interface
// thread, so that a share that stops answering never freezes a window. Jobs
// run one at a time, in the order they were asked for; the thread starts with
// the first job and lasts as long as the program (a job stuck in a share that
// does not answer is never waited for at exit).
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace LookupWorker {

enum class Kind {
    Lookup,  // the file-name look-up of a path (FileLookup::fileName)
    Inspect, // any other question about a file: its kind, its header, its permissions
};

class Job;
using JobPtr = std::shared_ptr<Job>;

// Queues the file-name look-up of `path`; answer() gives its result. A
// look-up of the same path that is queued and not yet begun is shared: it
// begins after this call too.
JobPtr lookUp(const QString &path);
// Queues other work about the file at `path`. `work` runs on the worker
// thread; what it writes is the asker's to read once isDone() is true.
JobPtr inspect(const QString &path, std::function<void()> work);

// Whether a job is queued or running.
bool busy();
// The job the worker is running, or null.
JobPtr running();

Kind kind(const JobPtr &job);
QString path(const JobPtr &job);
bool isDone(const JobPtr &job);
// The stored file name a finished look-up gave; "" for none.
QString answer(const JobPtr &job);
// Milliseconds since the worker began the job; -1 while it is queued; the
// time it took once it is done.
qint64 runningFor(const JobPtr &job);

// Blocks the calling thread until the job is done or `ms` have passed.
// True when it is done.
bool waitFor(const JobPtr &job, int ms);
// The same for up to seconds, but the calling thread's event loop runs
// meanwhile: timers, paints, window-system and accessibility requests are
// served; keys and clicks wait until it returns. False too when the event
// loop is told to quit. The caller must expect any of its handlers, and the
// deletion of its window, before this returns.
bool waitProcessingEvents(const JobPtr &job, int ms);

// Test seam: runs on the worker thread before each job, with the job's kind
// and path; a test sleeps in it to stall the file system. Empty: none.
void setStallForTesting(std::function<void(Kind, const QString &)> stall);

} // namespace LookupWorker
