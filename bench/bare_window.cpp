// The floor for Dravolt's start-up: a bare Qt window of the main window's
// client size holding a two-page tab control, and nothing else.
#include <QApplication>
#include <QTabWidget>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(387, 344);
    auto *tabs = new QTabWidget(&window);
    tabs->setGeometry(8, 8, 369, 265);
    tabs->addTab(new QWidget, QStringLiteral("Slice"));
    tabs->addTab(new QWidget, QStringLiteral("Options"));
    window.show();
    return app.exec();
}
