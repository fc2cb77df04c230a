// The help viewer in process, on a copy of the pages of the test's own: its
// window, the caption while and after the first page loads, links, anchors,
// addresses it does not show, and many viewers opened and closed. In a build
// that asks the web host first, the web copy through a loopback proxy too.
#include "formstyle.h"
#include "frmBrowser.h"
#include "helppages.h"
#include "helpviewer.h"
#include "modalcatcher.h"
#include "offscreenraise.h"
#include "settle.h"
#include "webbrowser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#if HELP_FROM_WEB
#  include "httpresponder.h"
#endif

namespace {

const QString Page = HelpPages::projectAddress();

WebBrowser *browser(frmBrowser *viewer)
{
    return viewer->findChild<WebBrowser *>(QStringLiteral("brwWebBrowser"));
}
QTimer *timer(frmBrowser *viewer)
{
    return viewer->findChild<QTimer *>(QStringLiteral("timTimer"));
}

} // namespace

// Addresses handed to the system's browser.
class SystemBrowser : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestFrmBrowser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    SystemBrowser system;
    QList<QPointer<frmBrowser>> viewers;
    QStringList captions;

    bool put(const QString &relative, const QByteArray &text)
    {
        QFile file(root.filePath(relative));
        return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    }
    static QByteArray page(const char *title, const char *body)
    {
        return QByteArray("<html><head><title>") + title + "</title></head><body>" + body + "</body></html>";
    }

    // A viewer on the address, shown, with every caption it shows recorded.
    frmBrowser *open(const QString &address)
    {
        captions.clear();
        auto *viewer = new frmBrowser;
        viewer->StartingAddress = address;
        connect(viewer, &QWidget::windowTitleChanged, this, [this](const QString &t) { captions << t; });
        viewers << viewer;
        viewer->show();
        return viewer;
    }
    // Tab to the n-th link of the page and press Return, as a user does.
    static void followLink(frmBrowser *viewer, int n)
    {
        WebBrowser *b = browser(viewer);
        b->setFocus();
        b->moveCursor(QTextCursor::Start);
        for (int i = 0; i < n; ++i)
            QTest::keyClick(b, Qt::Key_Tab);
        QTest::keyClick(b, Qt::Key_Return);
    }
    bool waitCaption(frmBrowser *viewer, const QString &caption, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return viewer->windowTitle() == caption && !timer(viewer)->isActive(); }, ms);
    }

private slots:
    void initTestCase()
    {
        quietAboutRaising();
        FormStyle::applyDesignFont();
        QVERIFY(root.isValid());
        QVERIFY(put(QStringLiteral("help/kvrg/quenlar/dravolt.html"),
                    page("Guide", "<a href='http://example.org/away'>away</a> <a href='#end'>down</a> "
                                  "<a href='dravoltunique.html'>on</a><p style='margin-top:2000px'>"
                                  "<a name='end'>end</a></p>")));
        QVERIFY(put(QStringLiteral("help/kvrg/quenlar/dravoltunique.html"), page("Unique", "unique")));
        QVERIFY(put(QStringLiteral("help/kvrg/quenlar/untitled.html"), "<p>no title</p>"));
        QVERIFY(put(QStringLiteral("help/secret.html"), page("Secret", "kept out")));
        HelpPages::setInstalledFolder(root.filePath(QStringLiteral("help")));
        for (const char *scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &system, "open");
#if HELP_FROM_WEB
        // The web copy through a proxy nobody answers: the installed one at once.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()).toLatin1());
#endif
    }

    void cleanupTestCase()
    {
        for (const char *scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void cleanup()
    {
        for (const QPointer<frmBrowser> &viewer : std::as_const(viewers))
            delete viewer.data();
        viewers.clear();
        system.opened.clear();
    }

    void windowAndBrowserGeometry()
    {
        auto *viewer = new frmBrowser;
        viewers << viewer;
        // Created: empty caption and address, the timer off.
        QCOMPARE(viewer->windowTitle(), QString());
        QCOMPARE(viewer->property("StartingAddress").toString(), QString());
        QVERIFY(!timer(viewer)->isActive());
        QCOMPARE(timer(viewer)->interval(), 5);
        // Fixed client size, close box only, not in the taskbar, the icon, no owner.
        QCOMPARE(viewer->minimumSize(), QSize(461, 343));
        QCOMPARE(viewer->maximumSize(), QSize(461, 343));
        const Qt::WindowFlags flags = viewer->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!viewer->windowIcon().isNull());
        QVERIFY(!viewer->parentWidget());
        viewer->StartingAddress = Page + QStringLiteral("dravolt.html");
        viewer->show();
        QVERIFY(waitCaption(viewer, QStringLiteral("Guide")));
        // 6815 x 4935 twips at 45, 120: the client width less 100 twips.
        QCOMPARE(browser(viewer)->geometry(), QRect(3, 8, 454, 329));
        QCOMPARE(viewer->focusProxy(), browser(viewer));
    }

    // Load runs once shown: the timer starts and Navigate returns before the
    // page is shown, so the tick sees the browser busy; the first idle tick
    // shows the title and stops the timer for good.
    void firstPageShowsWorkingThenItsTitle()
    {
        frmBrowser *viewer = open(Page + QStringLiteral("dravolt.html"));
        QCoreApplication::sendPostedEvents(viewer, QEvent::MetaCall); // the load step
        QVERIFY(timer(viewer)->isActive());
        QVERIFY(browser(viewer)->Busy());
        QVERIFY(browser(viewer)->toPlainText().isEmpty());
        QVERIFY(QMetaObject::invokeMethod(viewer, "timTimerTimer"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Working..."));
        QVERIFY(waitCaption(viewer, QStringLiteral("Guide")));
        QVERIFY(!browser(viewer)->Busy());
        QCOMPARE(captions.first(), QStringLiteral("Working..."));
        QVERIFY(!captions.mid(captions.indexOf(QStringLiteral("Guide"))).contains(QStringLiteral("Working...")));
    }

    // After the first page, links change the caption through the two events
    // only: another site goes to the system's browser and the page stays, an
    // anchor keeps the page, a link to the other page shows its title.
    void linksAndAnchors()
    {
        frmBrowser *viewer = open(Page + QStringLiteral("dravolt.html"));
        QVERIFY(waitCaption(viewer, QStringLiteral("Guide")));
        captions.clear();
        followLink(viewer, 1);
        QTRY_COMPARE(system.opened, QList<QUrl>{QUrl(QStringLiteral("http://example.org/away"))});
        QCOMPARE(browser(viewer)->source(), QUrl(Page + QStringLiteral("dravolt.html")));
        followLink(viewer, 2);
        QTRY_COMPARE(browser(viewer)->source().fragment(), QStringLiteral("end"));
        QVERIFY(browser(viewer)->verticalScrollBar()->value() > 0);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Guide"));
        followLink(viewer, 3);
        QTRY_COMPARE(viewer->windowTitle(), QStringLiteral("Unique"));
        QVERIFY(!captions.contains(QStringLiteral("Working...")));
        QVERIFY(!timer(viewer)->isActive());
        QCOMPARE(system.opened.size(), 1);
    }

    // Addresses with no page of their own show a page of the viewer's naming
    // the address (its caption); nothing outside the pages' folder is read;
    // another site is never shown; an empty address requests nothing.
    void addressesWithoutAPage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shows");
        const QString missing = Page + QStringLiteral("missing.html");
        const QString up = Page + QStringLiteral("%2e%2e/%2e%2e/secret.html");
        const auto shown = [](const QString &address) { return QUrl(address).toString(); };
        QTest::newRow("not installed") << missing << shown(missing) << "not installed";
        QTest::newRow("out of the folder") << up << shown(up) << "not installed";
        QTest::newRow("no title") << Page + "untitled.html" << shown(Page + "untitled.html") << "no title";
        QTest::newRow("another site") << "http://example.org/" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void addressesWithoutAPage()
    {
        QFETCH(QString, address);
        QFETCH(QString, caption);
        QFETCH(QString, shows);
        ModalCatcher boxes;
        frmBrowser *viewer = open(address);
        QVERIFY(runPostedEvents()); // the load step
        QTRY_VERIFY(!timer(viewer)->isActive());
        QVERIFY(runPostedEvents());
        QCOMPARE(viewer->windowTitle(), caption);
        const QString text = browser(viewer)->toPlainText();
        QVERIFY2(shows.isEmpty() ? text.isEmpty() : text.contains(shows), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("kept out")));
        QCOMPARE(system.opened.size(), address.startsWith(QStringLiteral("http://example.org")) ? 1 : 0);
        QVERIFY(boxes.boxes.isEmpty());
        if (address.isEmpty())
            QVERIFY(captions.isEmpty());
    }

    // Twenty viewers through the openers' path, all open at once, then closed:
    // every one is gone with its browser and timer.
    void manyViewersOpenedAndClosed()
    {
        const qsizetype before = QApplication::topLevelWidgets().size();
        for (int i = 0; i < 20; ++i)
            HelpViewer::open(Page + QStringLiteral("dravolt.html"));
        QList<QPointer<frmBrowser>> opened;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *viewer = qobject_cast<frmBrowser *>(w))
                opened << viewer;
        QCOMPARE(opened.size(), 20);
        for (const QPointer<frmBrowser> &viewer : opened)
            QVERIFY(waitCaption(viewer, QStringLiteral("Guide")));
        for (const QPointer<frmBrowser> &viewer : opened)
            viewer->close();
        QTRY_VERIFY(std::all_of(opened.begin(), opened.end(), [](const auto &v) { return v.isNull(); }));
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
    }

    // The web host's copy first: it wins when it comes, "Working..." shows
    // while it comes, and an unreachable host gives the installed copy in time.
    void webCopyFirst()
    {
#if HELP_FROM_WEB
        HttpResponder proxy;
        QVERIFY(proxy.listen());
        proxy.addPage(HelpPages::pagesPath() + QStringLiteral("dravolt.html"), HttpResponder::page(QStringLiteral("From the web"), {}));
        const QByteArray closed = qgetenv("http_proxy");
        qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toLatin1());
        proxy.delayMs = 300;
        frmBrowser *viewer = open(Page + QStringLiteral("dravolt.html"));
        QVERIFY(waitCaption(viewer, QStringLiteral("From the web")));
        QCOMPARE(captions.first(), QStringLiteral("Working..."));
        QCOMPARE(proxy.requests.value(0).host, QLatin1String(Version::WebHost));

        proxy.answerWith = HttpResponder::Answer::Drop;
        QElapsedTimer clock;
        clock.start();
        viewer = open(Page + QStringLiteral("dravolt.html"));
        QVERIFY(waitCaption(viewer, QStringLiteral("Guide"), 6000));
        QVERIFY(clock.elapsed() < 6000);
        qputenv("http_proxy", closed);
#else
        QSKIP("this build shows the installed copy only");
#endif
    }
};

QTEST_MAIN(TestFrmBrowser)
#include "tst_frmbrowser.moc"
