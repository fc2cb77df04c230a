// Starts the slicing tool as a separate process and forgets it.
#pragma once

#include <QString>
#include <QStringList>

namespace ToolLauncher {

struct Result
{
    bool started = false;
    QString reason; // why the start failed, for the user
};

// Starts the program the location names (the whole text is the program,
// never split into words) with the given arguments. Does not wait for it.
Result start(const QString &toolLocation, const QStringList &arguments);

} // namespace ToolLauncher
