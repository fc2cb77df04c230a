// Fifty help viewers, with the viewer stand-in, opened with the switches'
// Details button and closed from outside as their close box would: Dravolt
// forgets every one, collects every process, and its memory, heap and handles
// stop growing once the first few have come and gone.
#include "frmQuenlar.h"
#include "processprobe.h"
#include "viewerprocesses.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace {

// Process ids of the viewers started so far, from the stand-in's log.
QList<qint64> viewerPids(const QString &log)
{
    QList<qint64> pids;
    QFile file(log);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n'))
            if (!line.isEmpty())
                pids << line.split('\x1f').first().toLongLong();
    }
    return pids;
}

// Ended and collected: not even a zombie is left.
bool gone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(20);
    }
}

} // namespace

class TestViewerSoak : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString log;
    QPointer<frmQuenlar> form;

    void pressDetails() { form->findChild<QPushButton *>(QStringLiteral("cmdDetailsSwitches"))->click(); }

private slots:
    void initTestCase()
    {
#ifndef Q_OS_LINUX
        QSKIP("watches /proc");
#endif
        QVERIFY(dir.isValid());
        log = dir.filePath(QStringLiteral("viewers.log"));
        qputenv("DRAVOLT_VIEWER_STANDIN_LOG", QFile::encodeName(log));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        ViewerProcesses::setProgramFolder(QStringLiteral(STANDIN_VIEWER_DIR));
        form = new frmQuenlar;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanupTestCase()
    {
        ViewerProcesses::instance().endAll();
        delete form.data();
    }

    void init() { QFile::remove(log); }

    void fiftyOpenedAndClosedOneByOne()
    {
        qint64 memory = 0, heap = 0;
        int handles = 0;
        for (int i = 0; i < 50; ++i) {
            pressDetails();
            QTRY_COMPARE_WITH_TIMEOUT(viewerPids(log).size(), i + 1, 5000);
            QCOMPARE(ViewerProcesses::instance().runningCount(), 1);
            const qint64 pid = viewerPids(log).last();
            QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
            QTRY_COMPARE_WITH_TIMEOUT(ViewerProcesses::instance().runningCount(), 0, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(gone(pid), 5000);
            if (i == 19) { // the first twenty fill the caches
                settle();
                memory = ProcessProbe::residentKb();
                heap = ProcessProbe::heapInUse();
                handles = ProcessProbe::openHandles();
            }
        }
        settle();
        QCOMPARE(ProcessProbe::openHandles(), handles);
        const qint64 grown = ProcessProbe::residentKb() - memory;
        qInfo("after 30 more viewers: resident %+lld kB, heap %+lld bytes", grown,
              heap < 0 ? 0 : ProcessProbe::heapInUse() - heap);
        if (!ProcessProbe::freedMemoryHeldBack)
            QVERIFY2(grown * 100 <= memory * 15, qPrintable(QString::number(grown)));
        // A finished viewer's process object takes about 1.4 kB: 30 of them
        // left behind would show.
        if (heap >= 0)
            QVERIFY2(ProcessProbe::heapInUse() - heap < 24 * 1024,
                     qPrintable(QString::number(ProcessProbe::heapInUse() - heap)));
    }

    void fiftyOpenAtOnceAllForgotten()
    {
        const int handles = ProcessProbe::openHandles();
        for (int i = 0; i < 50; ++i)
            pressDetails();
        QTRY_COMPARE_WITH_TIMEOUT(viewerPids(log).size(), 50, 5000);
        QCOMPARE(ViewerProcesses::instance().runningCount(), 50);
        const QList<qint64> pids = viewerPids(log);
        for (qint64 pid : pids)
            QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ViewerProcesses::instance().runningCount(), 0, 5000);
        for (qint64 pid : pids)
            QTRY_VERIFY_WITH_TIMEOUT(gone(pid), 5000);
        settle();
        QCOMPARE(ProcessProbe::openHandles(), handles);
    }
};

QTEST_MAIN(TestViewerSoak)
#include "tst_viewersoak.moc"
