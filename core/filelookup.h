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

// How long a window waits for the worker. A status tick waits a few
// milliseconds, which a disk that answers at all answers within; the
// monitor's look-up that has not answered after a second counts as "not
// found" until it does. A press of a button waits up to 2 s for each answer.
inline constexpr int TickWaitMs = 5;
inline constexpr int NotFoundAfterMs = 1000;
inline constexpr int PressWaitMs = 2000;

// fileName() asked of the worker and waited for at most `ms`, the event loop
// running meanwhile (LookupWorker::waitProcessingEvents); "" when it does not
// answer in time.
QString fileNameWithin(const QString &path, int ms);

// The status monitor's look-ups of one path text, tick after tick. A tick
// starts a look-up only when the worker has nothing to do, so at most one is
// ever in flight, and waits TickWaitMs for it; one that takes longer goes on
// in the background while the ticks use the newest answer.
class Watch
{
public:
    // The stored name for `path` as this tick knows it: the newest answer
    // for it; "" while a look-up of it has run NotFoundAfterMs without an
    // answer; for a path with no answer yet, what the last call returned,
    // until it has waited NotFoundAfterMs. "" at once for the empty text.
    QString fileName(const QString &path);

private:
    QString remember(const QString &name);

    LookupWorker::JobPtr pending; // the look-up of a path this watch waits for
    QString answeredPath; // never the empty text, which is not asked about
    QString answeredName;
    QString lastName;
    QString waitingPath; // asked about, not answered yet
    QElapsedTimer waitingSince;
};

} // namespace FileLookup
