// Dravolt: a desktop front end for the Quenlar.exe texture slicer.
#include "formstyle.h"
#include "frmQuenlar.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FormStyle::setUpApplication();

    auto *window = new frmQuenlar;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
