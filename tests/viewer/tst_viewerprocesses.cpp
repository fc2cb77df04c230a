// Dravolt's side of the help viewers, with a stand-in viewer program: the
// switches' Details button starts one viewer process per press on the guide
// page, the close box leaves them running, Exit ends them, a missing viewer
// program gives a warning; and Dravolt itself never loads the web engine.
#include "frmQuenlar.h"
#include "helppages.h"
#include "modalcatcher.h"
#include "standinlog.h"
#include "version.h"
#include "viewerprocesses.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

class TestViewerProcesses : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString log;
    QPointer<frmQuenlar> form;

    void pressDetails() { form->findChild<QPushButton *>(QStringLiteral("cmdDetailsSwitches"))->click(); }
    QList<StandinRun> runs() const { return readStandinLog(log); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        log = dir.filePath(QStringLiteral("viewers.log"));
        qputenv("DRAVOLT_VIEWER_STANDIN_LOG", QFile::encodeName(log));
        ViewerProcesses::setProgramFolder(QStringLiteral(STANDIN_VIEWER_DIR));
    }

    void init()
    {
        QFile::remove(log);
        form = new frmQuenlar;
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }

    void cleanup()
    {
        ViewerProcesses::instance().endAll();
        ViewerProcesses::setProgramFolder(QStringLiteral(STANDIN_VIEWER_DIR));
        delete form.data();
    }

    void guideAddress()
    {
        QCOMPARE(HelpPages::guideAddress(),
                 QStringLiteral("http://%1/kvrg/quenlar/dravolt.html").arg(QLatin1String(Version::WebHost)));
        QCOMPARE(HelpPages::uniqueNamesAddress(),
                 QStringLiteral("http://%1/kvrg/quenlar/dravoltunique.html").arg(QLatin1String(Version::WebHost)));
    }

    void detailsStartsOneViewerPerPress()
    {
        ModalCatcher catcher;
        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 1, 5000);
        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 2, 5000);
        const QList<StandinRun> seen = runs();
        for (const StandinRun &run : seen) {
            QCOMPARE(run.arguments, QStringList{HelpPages::guideAddress()});
            QVERIFY(processAlive(run.pid()));
        }
        QVERIFY(seen[0].pid() != seen[1].pid());
        QCOMPARE(ViewerProcesses::instance().runningCount(), 2);
        QVERIFY(catcher.boxes.isEmpty());
        QVERIFY(form->isVisible());
    }

    // The close box ends only the main window; the viewers stay open, and a
    // viewer that ends on its own is forgotten.
    void closeBoxLeavesViewersOpen()
    {
        pressDetails();
        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 2, 5000);
        form->close();
        // Unloaded: the window deletes itself on close.
        QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 5000);
        const QList<StandinRun> seen = runs();
        for (const StandinRun &run : seen)
            QVERIFY(processAlive(run.pid()));
        QCOMPARE(ViewerProcesses::instance().runningCount(), 2);

#ifdef Q_OS_UNIX
        // Seen to end, one viewer ended from outside is also the proof that
        // the close ended none: an end before it would have been seen first.
        ::kill(pid_t(seen[0].pid()), SIGTERM);
        QTRY_COMPARE_WITH_TIMEOUT(ViewerProcesses::instance().runningCount(), 1, 5000);
        QVERIFY(processAlive(seen[1].pid()));
#endif
    }

    // Started programs never read Dravolt's input (a shell's, when Dravolt
    // was started from one): theirs is the null device. Dravolt's own input
    // is a pipe here, so that a forwarded one would show.
    void startedProgramsReadTheNullDevice()
    {
#ifndef Q_OS_LINUX
        QSKIP("/proc is Linux only");
#else
        int ends[2];
        QVERIFY(::pipe(ends) == 0);
        const int savedInput = ::dup(STDIN_FILENO);
        QVERIFY(::dup2(ends[0], STDIN_FILENO) == STDIN_FILENO);
        pressDetails();
        ::dup2(savedInput, STDIN_FILENO);
        for (int fd : {savedInput, ends[0], ends[1]})
            ::close(fd);
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 1, 5000);
        const QString input = QStringLiteral("/proc/%1/fd/0").arg(runs().first().pid());
        QCOMPARE(QFileInfo(input).symLinkTarget(), QStringLiteral("/dev/null"));
#endif
    }

    void exitEndsEveryViewer()
    {
        pressDetails();
        pressDetails();
        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 3, 5000);
        form->findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
        QCOMPARE(ViewerProcesses::instance().runningCount(), 0);
        for (const StandinRun &run : runs())
            QVERIFY(!processAlive(run.pid()));
        QTRY_VERIFY_WITH_TIMEOUT(form.isNull() || !form->isVisible(), 1000);
    }

    void missingViewerProgramWarns()
    {
        QTemporaryDir empty;
        ViewerProcesses::setProgramFolder(empty.path());
        form->findChild<QTabWidget *>(QStringLiteral("tabQuenlar"))->setCurrentIndex(0);
        ModalCatcher catcher;
        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 2000);
        const SeenBox box = catcher.boxes.first();
        QCOMPARE(box.title, QStringLiteral("Dravolt"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY2(box.text.contains(QStringLiteral("missing")), qPrintable(box.text));
        QVERIFY2(box.text.contains(ViewerProcesses::programPath()), qPrintable(box.text));
        // Nothing else changes.
        QCOMPARE(ViewerProcesses::instance().runningCount(), 0);
        QVERIFY(runs().isEmpty());
        QVERIFY(form->isVisible());
        QCOMPARE(form->findChild<QTabWidget *>(QStringLiteral("tabQuenlar"))->currentIndex(), 0);
    }

    // Neither Dravolt's executable nor its windows bring in the web engine.
    void dravoltNeverLoadsTheEngine()
    {
#ifndef Q_OS_LINUX
        QSKIP("ldd and /proc are Linux only");
#else
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(DRAVOLT_EXECUTABLE)});
        QVERIFY(ldd.waitForFinished(5000));
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Widgets")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("WebEngine")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("Qt6Quick")), qPrintable(libraries));

        pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 1, 5000);
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("WebEngine"));
#endif
    }
};

QTEST_MAIN(TestViewerProcesses)
#include "tst_viewerprocesses.moc"
