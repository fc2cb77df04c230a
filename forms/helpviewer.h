// Opening a help viewer from a window: a new, separate viewer each time.
#pragma once

#include <QString>

class QWidget;

namespace HelpViewer {

// Opens a new viewer on the address; when that fails, a warning box over the
// opener says why and nothing else changes.
void open(QWidget *opener, const QString &address);

} // namespace HelpViewer
