// Dravolt: a desktop front end for the Quenlar.exe texture slicer.
#include "formstyle.h"
#include "frmQuenlar.h"
#include "version.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Version::ApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::Text));
    FormStyle::applyDesignFont();
    QApplication::setWindowIcon(FormStyle::applicationIcon());

    auto *window = new frmQuenlar;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
