// Fifty viewer windows, some on a page of a loopback server, opened and closed
// in one process: each is discarded with its browser, and memory settles
// instead of growing with every viewer.
#include "formstyle.h"
#include "frmBrowser.h"
#include "httpresponder.h"
#include "processprobe.h"
#include "webenginetest.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

class TestBrowserSoak : public QObject
{
    Q_OBJECT

private:
    HttpResponder server;

    // Opens a viewer on the address, waits until it has loaded its page (or,
    // with no address, shown its browser), closes it with its close box and
    // waits until it is gone with its browser.
    static bool openAndClose(const QString &address)
    {
        QPointer<frmBrowser> viewer = new frmBrowser;
        viewer->StartingAddress = address;
        viewer->show();
        QPointer<QWidget> browser = viewer->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
        const bool shown = QTest::qWaitFor([&] {
            return address.isEmpty() ? browser->isVisible()
                                     : viewer->windowTitle() == QLatin1String("Soak page");
        }, 5000);
        if (!shown)
            return false;
        viewer->close();
        return QTest::qWaitFor([&] { return viewer.isNull() && browser.isNull(); }, 5000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.listen());
        server.addPage(QStringLiteral("/soak.html"),
                       HttpResponder::page(QStringLiteral("Soak page"), QStringLiteral("<p>soak</p>")));
    }

    void fiftyViewersOpenedAndClosed()
    {
        if (ProcessProbe::residentKb() < 0)
            QSKIP("watches /proc");
        const QString address = server.address(QStringLiteral("/soak.html"));
        // The first two start the engine and load a page once; then every
        // eighth viewer loads the page and the others open on no address (a
        // page load takes seconds here, and costs this process little).
        QVERIFY(openAndClose(address));
        QVERIFY(openAndClose(QString()));
        QTest::qWait(200);
        const qint64 memory = ProcessProbe::residentKb();
        for (int i = 2; i < 50; ++i) {
            QVERIFY2(openAndClose(i % 8 == 0 ? address : QString()),
                     qPrintable(QStringLiteral("viewer %1").arg(i + 1)));
        }
        QTest::qWait(200);
        const qint64 grown = ProcessProbe::residentKb() - memory;
        qInfo("after 48 more viewers: resident %+lld kB of %lld kB", grown, memory);
        if (!ProcessProbe::freedMemoryHeldBack)
            QVERIFY2(grown * 100 <= memory * 15, qPrintable(QString::number(grown)));
        QCOMPARE(server.requestedPaths().count(QStringLiteral("/soak.html")), 7);
    }
};

int main(int argc, char *argv[])
{
    WebEngineTest::prepare();
    QApplication app(argc, argv);
    FormStyle::applyDesignFont();
    TestBrowserSoak test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browsersoak.moc"
