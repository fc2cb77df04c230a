// File-name lookup: the name, as the file system stores it, of the ordinary
// file a path names; on the calling thread, or asked of the look-up worker
// by a window, which never waits on the file system for long.
#pragma once

#include "lookupworker.h"

#include <QElapsedTimer>
#include <QString>

namespace FileLookup {

// The name, without its folder, of the ordinary file (not a folder, device or
// pipe; links are followed) that the path names, spelled as stored; the empty
// string for anything else. The text is taken literally: no wildcard
// expansion. Never throws, never opens the file: one file-system query at most.
QString fileName(const QString &path);

// How long a window waits for the file system. The status monitor asks again
// about an unchanged path every RefreshMs, and counts a look-up that has not
// answered after NotFoundAfterMs as "not found" until it does. A press of a
// button waits up to PressWaitMs for each answer.
inline constexpr int RefreshMs = 100;
inline constexpr int NotFoundAfterMs = 1000;
inline constexpr int PressWaitMs = 2000;

// fileName() on the spot for a path on a local disk; elsewhere asked of the
// look-up worker and waited for at most `ms`, the event loop running
// meanwhile (LookupWorker::waitProcessingEvents); "" when it does not answer
// in time.
QString fileNameWithin(const QString &path, int ms);

// The status monitor's look-ups of one path text, tick after tick. A path
// new to the watch is asked at once, an unchanged one again every RefreshMs:
// on a local disk on the spot, elsewhere through the look-up worker, never
// waited for (a tick takes what the file system has answered by then).
class Watch
{
public:
    // The stored name for `path` as far as the file system has answered: its
    // newest answer; "" while its look-up has run NotFoundAfterMs without an
    // answer; "" at once for the empty text. "" too, with known() false,
    // while a path new to the watch has not answered yet.
    QString fileName(const QString &path);
    // Whether the last fileName() rests on an answer (or on the wait given up).
    bool known() const { return path.isEmpty() || answered || givenUp(); }
    // Whether a look-up is under way.
    bool waiting() const { return pending.isValid() && !pending.isFinished(); }

private:
    void ask();
    bool givenUp() const { return pending.isValid() && askedAt.hasExpired(NotFoundAfterMs); }

    QString path; // the path text followed
    QFuture<QString> pending;
    QElapsedTimer askedAt;
    bool answered = false;
    QString answer;
    QElapsedTimer answeredAt;
};

} // namespace FileLookup
