#include "helpviewer.h"

#include "frmBrowser.h"

namespace HelpViewer {

void open(const QString &address)
{
    auto *viewer = new frmBrowser;
    viewer->StartingAddress = address;
    viewer->show();
}

} // namespace HelpViewer
