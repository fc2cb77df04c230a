// The status monitor runs 100 times a second for the whole session: 100,000
// ticks (about three hours), each handing a look-up to the look-up worker,
// must not grow memory, threads or open handles, in either of its states.
#include "formstyle.h"
#include "frmQuenlar.h"
#include "processprobe.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class TestMonitorSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        FormStyle::applyDesignFont();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir::tempPath() + QStringLiteral("/dravolt-soak-none")));
    }

    void hundredThousandTicks_data()
    {
        QTest::addColumn<bool>("toolFound");
        QTest::newRow("tool found, preview") << true;
        QTest::newRow("tool missing") << false;
    }
    void hundredThousandTicks()
    {
        QFETCH(bool, toolFound);
        if (ProcessProbe::residentKb() < 0)
            QSKIP("needs /proc");
        QTemporaryDir dir;
        const QString tool = dir.filePath(QStringLiteral("quenlar.exe"));
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();

        frmQuenlar form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit *>(QStringLiteral("txtProgLocation"))
            ->setText(toolFound ? tool : dir.filePath(QStringLiteral("missing.exe")));
        form.findChild<QLineEdit *>(QStringLiteral("txtBaseFileName"))->setText(QStringLiteral("trk"));

        auto run = [&](int ticks) {
            for (int i = 0; i < ticks; ++i) {
                form.timer1Tick();
                if (i % 1000 == 0)
                    QCoreApplication::processEvents(); // let posted events and paints through
            }
        };
        run(10000); // warm-up: caches, fonts, first paints
        const qint64 memoryBefore = ProcessProbe::residentKb();
        const qint64 heapBefore = ProcessProbe::heapInUse();
        const int handlesBefore = ProcessProbe::openHandles();
        const int threadsBefore = ProcessProbe::threads();
        run(100000);
        QCoreApplication::processEvents();
        const qint64 growth = ProcessProbe::residentKb() - memoryBefore;
        qInfo("resident growth over 100,000 ticks: %lld kB", growth);
        if (!ProcessProbe::freedMemoryHeldBack)
            QVERIFY2(growth < 512, qPrintable(QString::number(growth)));
        // A job of the worker kept for each tick would be a few MB here.
        if (heapBefore >= 0) {
            const qint64 heapGrowth = ProcessProbe::heapInUse() - heapBefore;
            QVERIFY2(heapGrowth < 64 * 1024, qPrintable(QString::number(heapGrowth)));
        }
        QCOMPARE(ProcessProbe::openHandles(), handlesBefore);
        QCOMPARE(ProcessProbe::threads(), threadsBefore);
        QCOMPARE(form.findChild<QStatusBar *>(QStringLiteral("statusBar"))->currentMessage(),
                 toolFound ? QStringLiteral("Okay: Quenlar  trk 000 ") : QStringLiteral("Locate Quenlar.exe"));
    }
};

QTEST_MAIN(TestMonitorSoak)
#include "tst_monitorsoak.moc"
