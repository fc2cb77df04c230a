// The web help viewer window in process, against a loopback web server: its
// caption while and after the first page loads, link navigation, the empty and
// the unreachable address, its geometry, and several viewers side by side.
#include "formstyle.h"
#include "frmBrowser.h"
#include "httpresponder.h"
#include "modalcatcher.h"
#include "settle.h"
#include "webenginetest.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestFrmBrowser : public QObject
{
    Q_OBJECT

private:
    HttpResponder server;
    QList<QPointer<frmBrowser>> viewers;

    // A viewer on the address, with every caption it shows recorded.
    frmBrowser *newViewer(const QString &address, QStringList *captions = nullptr)
    {
        auto *viewer = new frmBrowser;
        viewer->StartingAddress = address;
        if (captions)
            connect(viewer, &QWidget::windowTitleChanged, this,
                    [captions](const QString &title) { *captions << title; });
        viewers << viewer;
        return viewer;
    }
    static WebBrowser *browser(frmBrowser *viewer)
    {
        return viewer->findChild<WebBrowser *>(QStringLiteral("brwWebBrowser"));
    }
    static QTimer *timer(frmBrowser *viewer)
    {
        return viewer->findChild<QTimer *>(QStringLiteral("timTimer"));
    }
    // Follows the link with the id "next" as a user's click would.
    static void followLink(frmBrowser *viewer)
    {
        browser(viewer)->page()->runJavaScript(QStringLiteral("document.getElementById('next').click();"));
    }
    // What the viewers under test requested, asked without a fixed wait: a
    // viewer made after them loads a page of its own to the end; the one
    // engine sends requests in the order they were made, so one made earlier
    // has reached the server by then.
    QStringList requestedBeforeBarrier()
    {
        frmBrowser *barrier = newViewer(server.address(QStringLiteral("/barrier.html")));
        barrier->show();
        if (!QTest::qWaitFor([barrier] { return barrier->windowTitle() == QLatin1String("Not found"); }, 10000))
            qWarning("the barrier page did not load");
        QStringList paths = server.requestedPaths();
        paths.removeAll(QStringLiteral("/barrier.html"));
        paths.removeAll(QStringLiteral("/favicon.ico"));
        return paths;
    }
    static bool anyMessageBox()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox *>(w))
                return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.listen());
        server.addPage(QStringLiteral("/first.html"),
                       HttpResponder::page(QStringLiteral("First page"),
                                           QStringLiteral("<a id='next' href='/second.html'>on</a>")));
        server.addPage(QStringLiteral("/second.html"),
                       HttpResponder::page(QStringLiteral("Second page"), QStringLiteral("<p>second</p>")));
    }

    void init()
    {
        server.delayMs = 0;
        server.requests.clear();
    }

    void cleanup()
    {
        for (const QPointer<frmBrowser> &viewer : std::as_const(viewers))
            delete viewer.data();
        viewers.clear();
    }

    void windowAndBrowserGeometry()
    {
        frmBrowser *viewer = newViewer(server.address(QStringLiteral("/first.html")));
        // Created: nothing requested, empty caption, timer off.
        QCOMPARE(viewer->windowTitle(), QString());
        QCOMPARE(viewer->property("StartingAddress").toString(),
                 server.address(QStringLiteral("/first.html")));
        QVERIFY(!timer(viewer)->isActive());
        QCOMPARE(timer(viewer)->interval(), 5);
        QCOMPARE(requestedBeforeBarrier(), QStringList());
        server.requests.clear();

        // Fixed client size, close box only, not in the taskbar, the icon.
        QCOMPARE(viewer->minimumSize(), QSize(461, 343));
        QCOMPARE(viewer->maximumSize(), QSize(461, 343));
        const Qt::WindowFlags flags = viewer->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!viewer->windowIcon().isNull());
        QVERIFY(viewer->parentWidget() == nullptr);

        viewer->show();
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("First page"), 5000);
        // 6815 x 4935 twips at 45, 120: the client width less 100 twips.
        QCOMPARE(browser(viewer)->geometry(), QRect(3, 8, 454, 329));
        QCOMPARE(viewer->size(), QSize(461, 343));
    }

    void firstPageShowsWorkingThenItsTitle()
    {
        server.delayMs = 800;
        QStringList captions;
        frmBrowser *viewer = newViewer(server.address(QStringLiteral("/first.html")), &captions);
        viewer->show();
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Working..."), 5000);
        QVERIFY(timer(viewer)->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("First page"), 5000);
        // The first idle tick stops the timer for good.
        QTRY_VERIFY_WITH_TIMEOUT(!timer(viewer)->isActive(), 1000);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("First page"));
        QCOMPARE(captions.first(), QStringLiteral("Working..."));
        QCOMPARE(captions.last(), QStringLiteral("First page"));
        QVERIFY(!browser(viewer)->Busy());
        // Navigate once.
        QCOMPARE(server.requestedPaths().count(QStringLiteral("/first.html")), 1);
    }

    void followingLinkChangesCaptionThroughEventsOnly()
    {
        QStringList captions;
        frmBrowser *viewer = newViewer(server.address(QStringLiteral("/first.html")), &captions);
        viewer->show();
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("First page"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!timer(viewer)->isActive(), 1000);

        captions.clear();
        server.delayMs = 800;
        QSignalSpy downloads(browser(viewer), &WebBrowser::DownloadComplete);
        QSignalSpy navigations(browser(viewer), &WebBrowser::NavigateComplete2);
        followLink(viewer);
        // The browser is busy for a while, but the timer is gone for good.
        QTRY_VERIFY_WITH_TIMEOUT(browser(viewer)->Busy(), 5000);
        QVERIFY(!timer(viewer)->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Second page"), 5000);
        QVERIFY(!captions.contains(QStringLiteral("Working...")));
        QVERIFY(!timer(viewer)->isActive());
        QVERIFY(!downloads.isEmpty());
        QVERIFY(!navigations.isEmpty());
        QCOMPARE(navigations.last().first().toUrl(), QUrl(server.address(QStringLiteral("/second.html"))));
    }

    void emptyAddressRequestsNothing()
    {
        QStringList captions;
        frmBrowser *viewer = newViewer(QString(), &captions);
        viewer->show();
        // The load step (posted by the showing) has run and started nothing.
        QVERIFY(runPostedEvents());
        QVERIFY(browser(viewer)->isVisible());
        QCOMPARE(requestedBeforeBarrier(), QStringList());
        QCOMPARE(viewer->windowTitle(), QString());
        QVERIFY(captions.isEmpty());
        QVERIFY(!timer(viewer)->isActive());
        QVERIFY(!browser(viewer)->Busy());
        QCOMPARE(browser(viewer)->geometry(), QRect(3, 8, 454, 329));
    }

    void unreachableAddressShowsNoMessageBox()
    {
        // A loopback port that nobody listens on.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();

        ModalCatcher catcher;
        bool boxSeen = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&boxSeen] { boxSeen = boxSeen || anyMessageBox(); });
        watch.start(5);

        frmBrowser *viewer = newViewer(QStringLiteral("http://127.0.0.1:%1/gone.html").arg(port));
        viewer->show();
        QTRY_VERIFY_WITH_TIMEOUT(timer(viewer)->isActive(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!timer(viewer)->isActive(), 5000);
        // The caption names what the engine shows: its error page for the host.
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("127.0.0.1"), 5000);
        QVERIFY(!boxSeen);
        QVERIFY(catcher.boxes.isEmpty());
        QVERIFY(viewer->isVisible());
    }

    void viewersAreIndependent()
    {
        frmBrowser *one = newViewer(server.address(QStringLiteral("/first.html")));
        frmBrowser *two = newViewer(server.address(QStringLiteral("/first.html")));
        one->show();
        two->show();
        QTRY_COMPARE_WITH_TIMEOUT(one->windowTitle(), QStringLiteral("First page"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(two->windowTitle(), QStringLiteral("First page"), 5000);
        QCOMPARE(server.requestedPaths().count(QStringLiteral("/first.html")), 2);
        QVERIFY(browser(one)->page() != browser(two)->page());

        // Closing one discards it with its browser; the other goes on.
        QPointer<frmBrowser> closed(one);
        QPointer<QWebEnginePage> closedPage(browser(one)->page());
        QVERIFY(one->close());
        QTRY_VERIFY_WITH_TIMEOUT(closed.isNull(), 1000);
        QVERIFY(closedPage.isNull());
        followLink(two);
        QTRY_COMPARE_WITH_TIMEOUT(two->windowTitle(), QStringLiteral("Second page"), 5000);
        QVERIFY(two->isVisible());
    }
};

int main(int argc, char *argv[])
{
    WebEngineTest::prepare();
    QApplication app(argc, argv);
    FormStyle::applyDesignFont();
    TestFrmBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmbrowser.moc"
