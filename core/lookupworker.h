// Asks the file system on behalf of the user-interface thread, on threads of
// a pool of its own, so that a share that stops answering never freezes a
// window and holds back only the look-ups of its own paths. Jobs about
// different paths run side by side; jobs about one path run one after the
// other, and a look-up of a path that has not answered yet is shared, so a
// path that hangs is not asked again until it returns. Nothing waits for the
// pool at exit: a job stuck in a share that does not answer ends with the
// program.
#pragma once

#include <QFuture>
#include <QString>

#include <functional>

namespace LookupWorker {

enum class Kind {
    Lookup,  // the file-name look-up of a path (FileLookup::fileName)
    Inspect, // any other question about a file: its kind, its header, its permissions
};

// The file-name look-up of `path`: the stored name, "" for none. A look-up
// of the same path that has not finished is shared.
QFuture<QString> lookUp(const QString &path);
// Other work about the file at `path`, run once the jobs about that path
// asked for before it have finished. What `work` writes is the asker's to
// read once the future has finished.
QFuture<void> inspect(const QString &path, std::function<void()> work);

// Waits at most `ms` for the job, the calling thread's event loop running
// meanwhile: timers, paints, window-system and accessibility requests are
// served; keys and clicks wait until it returns. True when it has finished.
// The caller must expect any of its handlers, and the deletion of its window,
// before this returns.
bool waitProcessingEvents(const QFuture<void> &job, int ms);

// Whether any job has not finished yet.
bool busy();

// Test seam: runs on the job's thread before each job, with the job's kind
// and path; a test sleeps in it to stall the file system. Empty: none. While
// it is set, every path counts as one that may stall (Platform::mayStall).
void setStallForTesting(std::function<void(Kind, const QString &)> stall);
bool stallingForTesting();

} // namespace LookupWorker
