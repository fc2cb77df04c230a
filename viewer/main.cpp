// dravolt-viewer: one web help viewer on the address given as the only
// argument. Dravolt starts one such process per viewer, so that Dravolt
// itself never loads the web engine.
#include "formstyle.h"
#include "frmBrowser.h"
#include "helpscheme.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The engine shares its GL contexts with the window's; this must be set
    // before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The installed pages' scheme, likewise before the application object.
    HelpScheme::registerScheme();
    QApplication app(argc, argv);
    FormStyle::setUpApplication();

    auto *viewer = new frmBrowser;
    viewer->StartingAddress = QApplication::arguments().value(1);
    // The process lives as long as its one window.
    QObject::connect(viewer, &QObject::destroyed, &app, &QCoreApplication::quit);
    viewer->show();
    return app.exec();
}
