#include "helpviewer.h"

#include "formstyle.h"
#include "viewerprocesses.h"

namespace HelpViewer {

void open(QWidget *opener, const QString &address)
{
    QString reason;
    if (!ViewerProcesses::instance().open(address, &reason))
        FormStyle::showWarning(opener, reason);
}

} // namespace HelpViewer
