// Opening a help viewer, as both of its openers do: a new, separate viewer
// each time, shown modeless without an owner; the opener keeps no reference.
#pragma once

#include <QString>

namespace HelpViewer {

void open(const QString &address);

} // namespace HelpViewer
