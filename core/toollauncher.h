// Starts the slicing tool as a separate process and forgets it.
#pragma once

#include "platform.h"

#include <QString>
#include <QStringList>

namespace ToolLauncher {

struct Result
{
    bool started = false;
    QString reason; // why the start failed, for the user
};

// The start in two steps, so that a window can see between them whether it
// is still wanted. prepare() reads what the tool file is (its kind, its
// header, whether it can run) on the look-up worker and waits for it at most
// FileLookup::PressWaitMs, the event loop running meanwhile; a file that
// gives no answer in that time could not be read, and the command says so.
struct Prepared
{
    QString program; // the tool file
    Platform::ToolCommand command;
};
Prepared prepare(const QString &toolLocation, const QStringList &arguments);
// `notRun`: told later when the tool turns out never to have run (its
// terminal window did not run it).
Result start(const Prepared &prepared, const Platform::NotRunHandler &notRun = {});

// What the source image is, from its header, read on the look-up worker
// within FileLookup::PressWaitMs like the tool file.
struct SourceCheck
{
    QString unreadable;   // why the file could not be read; "" when it was
    QStringList problems; // what keeps the tool from slicing it; empty: none
};
SourceCheck checkSource(const QString &source);

// Both steps: starts the program the location names (the whole text is the
// program, never split into words) with the given arguments. Does not wait
// for it.
Result start(const QString &toolLocation, const QStringList &arguments);

} // namespace ToolLauncher
