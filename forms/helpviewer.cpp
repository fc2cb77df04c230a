#include "helpviewer.h"

#include "formstyle.h"

#ifdef DRAVOLT_WITH_VIEWER
#  include "viewerprocesses.h"
#else
#  include "helppages.h"
#  include <QDesktopServices>
#  include <QDir>
#  include <QUrl>
#endif

namespace HelpViewer {

void open(QWidget *opener, const QString &address)
{
#ifdef DRAVOLT_WITH_VIEWER
    QString reason;
    if (!ViewerProcesses::instance().open(address, &reason))
        FormStyle::showWarning(opener, reason);
#else
    // No viewer in this build (a MinGW build has no web engine): the copy of
    // the page that ships with Dravolt, in the system's browser.
    const QString page = HelpPages::installedFile(QUrl(address));
    if (page.isEmpty())
        FormStyle::showWarning(opener, QStringLiteral("The help page %1 is not installed.").arg(address));
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        FormStyle::showWarning(opener, QStringLiteral("No browser could be started to show %1.")
                                           .arg(QDir::toNativeSeparators(page)));
#endif
}

} // namespace HelpViewer
