// The floor Dravolt is measured against: a bare Qt window of the main window's
// client size holding a two-page tab control, and nothing else.
//   --timer          also runs an empty 10 ms timer: the floor for the status
//                    monitor's idle cost;
//   --lookup <path>  and that timer asks the file system about the path on
//                    every tick, on the window's thread: the floor of the
//                    monitor's design;
//   --watch          and asks through the monitor's FileLookup::Watch
//                    instead, as the monitor does.
#include "filelookup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

    const QStringList arguments = QApplication::arguments();
    const qsizetype lookupAt = arguments.indexOf(QStringLiteral("--lookup"));
    const QByteArray path = lookupAt > 0 ? QFile::encodeName(arguments.value(lookupAt + 1)) : QByteArray();
    QTimer timer;
    FileLookup::Watch watch;
    if (arguments.contains(QStringLiteral("--timer"))) {
        timer.setInterval(10);
        if (path.isEmpty()) {
            QObject::connect(&timer, &QTimer::timeout, &window, [] {});
        } else if (arguments.contains(QStringLiteral("--watch"))) {
            const QString text = QFile::decodeName(path);
            QObject::connect(&timer, &QTimer::timeout, &window, [&watch, text] { watch.fileName(text); });
        } else {
            QObject::connect(&timer, &QTimer::timeout, &window, [&path] {
#ifdef Q_OS_UNIX
                struct stat st;
                ::stat(path.constData(), &st);
#else
                QFileInfo::exists(QFile::decodeName(path));
#endif
            });
        }
        timer.start();
    }
    window.show();
    return app.exec();
}
