// Opening a help viewer from a window: a new, separate viewer each time.
#pragma once

#include <QString>

class QWidget;

namespace HelpViewer {

// Opens a new viewer on the address; when that fails, a warning box over the
// opener says why and nothing else changes. In a build without the viewer
// (DRAVOLT_BUILD_VIEWER=OFF), the installed copy of the page opens in the
// system's browser instead, or the box says why it cannot.
void open(QWidget *opener, const QString &address);

} // namespace HelpViewer
