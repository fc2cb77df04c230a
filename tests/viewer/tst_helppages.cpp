// The shipped help pages at their real addresses. Every host is sent to a
// loopback server through a proxy option, which stands for the web: by default
// it drops every connection, and the viewer shows the installed copy; for the
// web copy asked first it answers, drops or stays silent.
#include "formstyle.h"
#include "frmBrowser.h"
#include "frmQuenlar.h"
#include "helppages.h"
#include "helpscheme.h"
#include "httpresponder.h"
#include "modalcatcher.h"
#include "version.h"
#include "viewerprocesses.h"
#include "webenginetest.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <poll.h>
#include <sys/inotify.h>
#endif

namespace {

// The loopback socket the server takes over; bound before the engine starts,
// so that its port can go into the engine's options.
qintptr proxySocket = -1;

QByteArray pageFile(const QString &name)
{
    QFile file(QStringLiteral(HELP_DIR "/kvrg/quenlar/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the help page %s", qPrintable(name));
    return file.readAll();
}

QString titleOf(const QByteArray &page)
{
    const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    return title.match(QString::fromUtf8(page)).captured(1);
}

QString address(const QString &path)
{
    return QStringLiteral("http://") + QLatin1String(Version::WebHost) + path;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
           && file.write(content) == content.size();
}

} // namespace

class TestHelpPages : public QObject
{
    Q_OBJECT

private:
    HttpResponder server;
    QTemporaryDir installed;
    const QString guidePath = QStringLiteral("/kvrg/quenlar/dravolt.html");
    const QString uniquePath = QStringLiteral("/kvrg/quenlar/dravoltunique.html");
    const QString guideTitle = QStringLiteral("Dravolt Guide");
    QString uniqueTitle;
    QList<QPointer<frmBrowser>> viewers;

    bool requested(const QString &path) const
    {
        for (const HttpRequest &r : server.requests)
            if (r.host == QLatin1String(Version::WebHost) && r.path == path
                && r.target == (QStringLiteral("http://") + r.host + path).toLatin1())
                return true;
        return false;
    }
    frmBrowser *openViewer(const QString &startingAddress, QStringList *captions = nullptr)
    {
        auto *viewer = new frmBrowser;
        viewer->StartingAddress = startingAddress;
        if (captions)
            connect(viewer, &QWidget::windowTitleChanged, this,
                    [captions](const QString &title) { *captions << title; });
        viewers << viewer;
        viewer->show();
        return viewer;
    }
    static WebBrowser *browser(frmBrowser *viewer) { return viewer->findChild<WebBrowser *>(); }
    static bool timerRuns(frmBrowser *viewer)
    {
        return viewer->findChild<QTimer *>(QStringLiteral("timTimer"))->isActive();
    }
    static void click(frmBrowser *viewer, const QString &href)
    {
        browser(viewer)->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href=\"%1\"]').click();").arg(href));
    }
    static QString pageText(frmBrowser *viewer)
    {
        QString text;
        bool done = false;
        browser(viewer)->page()->toHtml([&](const QString &html) {
            text = html;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 5000))
            return QStringLiteral("(no answer from the page)");
        return text;
    }

private slots:
    void initTestCase()
    {
        if (proxySocket < 0)
            QSKIP("needs a loopback socket bound before the engine starts (Unix)");
        QVERIFY(server.listen(proxySocket));
        server.addPage(guidePath, HttpResponder::page(QStringLiteral("Served guide"), QString()));
        uniqueTitle = titleOf(pageFile(QStringLiteral("dravoltunique.html")));
        QVERIFY(!uniqueTitle.isEmpty());

        // The installed copy, with files beside and above it that no address
        // may reach.
        QVERIFY(installed.isValid());
        const QString help = installed.path() + QStringLiteral("/help");
        for (const QString &name : {QStringLiteral("dravolt.html"), QStringLiteral("dravoltunique.html")})
            QVERIFY(writeFile(help + QStringLiteral("/kvrg/quenlar/") + name, pageFile(name)));
        const QByteArray secret = HttpResponder::page(QStringLiteral("Secret"), QStringLiteral("secret-marker"));
        QVERIFY(writeFile(installed.path() + QStringLiteral("/secret.html"), secret));
        QVERIFY(writeFile(help + QStringLiteral("/secret.html"), secret));
        QVERIFY(writeFile(help + QStringLiteral("/kvrg/secret.html"), secret));
        HelpPages::setInstalledFolder(help);
        // The build's choice (DRAVOLT_HELP_FROM_WEB); each test sets its own.
        QCOMPARE(HelpScheme::webFirst(), bool(HELP_FROM_WEB));
    }

    void init()
    {
        server.answerWith = HttpResponder::Answer::Drop;
        server.requests.clear();
        HelpScheme::setWebFirst(false);
    }

    void cleanup()
    {
        for (const QPointer<frmBrowser> &viewer : std::as_const(viewers))
            delete viewer.data();
        viewers.clear();
    }

    // With no web to be had: both addresses show the installed pages, whose
    // links and anchors work; nothing is asked of the network.
    void installedCopyAnswersTheProjectAddresses()
    {
        QStringList captions;
        frmBrowser *guide = openViewer(HelpPages::guideAddress(), &captions);
        frmBrowser *unique = openViewer(HelpPages::uniqueNamesAddress());
        QTRY_COMPARE_WITH_TIMEOUT(guide->windowTitle(), guideTitle, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(unique->windowTitle(), uniqueTitle, 5000);
        QCOMPARE(captions.first(), QStringLiteral("Working..."));
        QTRY_VERIFY_WITH_TIMEOUT(!timerRuns(guide), 1000);

        // Following a link: the caption follows through the browser's events.
        captions.clear();
        QSignalSpy navigations(browser(guide), &WebBrowser::NavigateComplete2);
        click(guide, QStringLiteral("dravoltunique.html"));
        QTRY_COMPARE_WITH_TIMEOUT(guide->windowTitle(), uniqueTitle, 5000);
        QVERIFY(!captions.contains(QStringLiteral("Working...")));
        QVERIFY(!timerRuns(guide));
        QVERIFY(!navigations.isEmpty());
        click(guide, QStringLiteral("dravolt.html"));
        QTRY_COMPARE_WITH_TIMEOUT(guide->windowTitle(), guideTitle, 5000);

        // An anchor moves within the page and keeps its title.
        captions.clear();
        navigations.clear();
        click(guide, QStringLiteral("#switches"));
        QTRY_VERIFY_WITH_TIMEOUT(!navigations.isEmpty()
                                     && navigations.last().first().toUrl().fragment() == QLatin1String("switches"),
                                 5000);
        QTest::qWait(100);
        QCOMPARE(guide->windowTitle(), guideTitle);
        QVERIFY(!captions.contains(QStringLiteral("Working...")));

        QVERIFY2(server.requests.isEmpty(), qPrintable(server.requestedPaths().join(QLatin1Char(' '))));
    }

    void addressesOffThePagesShowNoOtherFile_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("marker");
        QTest::newRow("up to /etc/passwd") << address(QStringLiteral("/kvrg/quenlar/../../etc/passwd"))
                                           << QStringLiteral("root:");
        QTest::newRow("up, encoded") << address(QStringLiteral("/kvrg/quenlar/%2e%2e/%2e%2e/secret.html"))
                                     << QStringLiteral("secret-marker");
        QTest::newRow("up one") << address(QStringLiteral("/kvrg/quenlar/../secret.html"))
                                << QStringLiteral("secret-marker");
        QTest::newRow("the scheme, up")
            << QStringLiteral("dravolt-help://%1/kvrg/quenlar/../../secret.html").arg(QLatin1String(Version::WebHost))
            << QStringLiteral("secret-marker");
        QTest::newRow("missing page") << address(QStringLiteral("/kvrg/quenlar/missing.html"))
                                      << QStringLiteral("Dravolt");
    }

    // Whatever the path, no file from outside the help folder is shown; a
    // missing page under it is the engine's own "not found".
    void addressesOffThePagesShowNoOtherFile()
    {
        QFETCH(QString, address);
        QFETCH(QString, marker);
        frmBrowser *viewer = new frmBrowser;
        viewers << viewer;
        viewer->StartingAddress = address;
        QList<QWebEngineLoadingInfo> loads;
        connect(browser(viewer)->page(), &QWebEnginePage::loadingChanged, this,
                [&loads](const QWebEngineLoadingInfo &info) { loads << info; });
        viewer->show();
        QTRY_VERIFY_WITH_TIMEOUT(timerRuns(viewer), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!timerRuns(viewer), 5000);
        const QWebEngineLoadingInfo last = loads.last();
        QCOMPARE(last.status(), QWebEngineLoadingInfo::LoadFailedStatus);
        QVERIFY(last.isErrorPage());
        QVERIFY(!pageText(viewer).contains(marker));
        QVERIFY(viewer->windowTitle() != QLatin1String("Secret"));
        // Named by the address asked for, never by the installed copy's.
        QVERIFY2(!viewer->windowTitle().contains(QLatin1String("dravolt-help")), qPrintable(viewer->windowTitle()));
        if (QTest::currentDataTag() == QLatin1String("missing page")) {
            QCOMPARE(viewer->windowTitle(), address);
            QVERIFY(server.requests.isEmpty());
        }
    }

    void webCopyAskedFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        QTest::newRow("the host answers") << int(HttpResponder::Answer::Page) << QStringLiteral("Served guide");
        QTest::newRow("the host drops the connection") << int(HttpResponder::Answer::Drop) << guideTitle;
        QTest::newRow("the host does not answer") << int(HttpResponder::Answer::Silent) << guideTitle;
    }

    // As built with DRAVOLT_HELP_FROM_WEB: the web copy wins when it comes;
    // otherwise the installed copy within 6 s, and no message box.
    void webCopyAskedFirst()
    {
        QFETCH(int, answer);
        QFETCH(QString, title);
        HelpScheme::setWebFirst(true);
        server.answerWith = HttpResponder::Answer(answer);
        ModalCatcher catcher;
        bool boxSeen = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&boxSeen] {
            for (QWidget *w : QApplication::topLevelWidgets())
                boxSeen = boxSeen || qobject_cast<QMessageBox *>(w);
        });
        watch.start(5);

        QStringList captions;
        QElapsedTimer clock;
        clock.start();
        frmBrowser *viewer = openViewer(HelpPages::guideAddress(), &captions);
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), title, 6000);
        QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(requested(guidePath));
        QCOMPARE(captions.first(), QStringLiteral("Working..."));
        QTest::qWait(100);
        QCOMPARE(viewer->windowTitle(), title);
        QVERIFY(!boxSeen);
        QVERIFY(catcher.boxes.isEmpty());
    }

    // What the pages must hold to be of use, and nothing they may not.
    void pagesContent()
    {
        const QString guide = QString::fromUtf8(pageFile(QStringLiteral("dravolt.html")));
        const QString unique = QString::fromUtf8(pageFile(QStringLiteral("dravoltunique.html")));
        QCOMPARE(titleOf(guide.toUtf8()), guideTitle);
        for (const char *topic : {"Source File", "baseFileName", "Start Index", "/i", "/x", "/y",
                                  "Use System folder", "Apply", "Locate Quenlar.exe", "Okay: Quenlar",
                                  "Slice it", "Exit", "dravoltunique.html"})
            QVERIFY2(guide.contains(QLatin1String(topic)), topic);
        for (const char *topic : {"base file name", "start index", "overwritten", "dravolt.html"})
            QVERIFY2(unique.contains(QLatin1String(topic)), topic);

        const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
        for (const QString &page : {guide, unique}) {
            QVERIFY(!page.contains(QStringLiteral("src=")));
            QVERIFY(!page.contains(QStringLiteral("<link")));
            QVERIFY(!page.contains(QStringLiteral("url(")));
            QVERIFY(!page.contains(QStringLiteral("@import")));
            // Links go to the other page or to a place on this one that exists.
            for (auto it = link.globalMatch(page); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (target.startsWith(QLatin1Char('#')))
                    QVERIFY2(page.contains(QStringLiteral("id=\"%1\"").arg(target.mid(1))), qPrintable(target));
                else
                    QVERIFY2(target == QLatin1String("dravolt.html") || target == QLatin1String("dravoltunique.html"),
                             qPrintable(target));
            }
        }
    }

    // Through the real window and the real viewer program: Details opens the
    // guide, which the program reads from the copy beside it (built to ask the
    // web first, after the web has failed it); Exit ends it.
    void detailsOpensTheGuideInTheViewerProgram()
    {
#ifdef Q_OS_LINUX
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        const QByteArray beside = QByteArrayLiteral(VIEWER_DIR "/help/kvrg/quenlar/dravolt.html");
        QVERIFY(inotify_add_watch(watch, beside.constData(), IN_OPEN) >= 0);
#endif
        ViewerProcesses::setProgramFolder(QStringLiteral(VIEWER_DIR));
        QPointer<frmQuenlar> form = new frmQuenlar;
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        form->findChild<QPushButton *>(QStringLiteral("cmdDetailsSwitches"))->click();
        QCOMPARE(ViewerProcesses::instance().runningCount(), 1);
#ifdef Q_OS_LINUX
        pollfd ready{watch, POLLIN, 0};
        QVERIFY2(QTest::qWaitFor([&] { return ::poll(&ready, 1, 0) == 1; }, 10000), "the guide was not read");
        ::close(watch);
#endif
        if (!HELP_FROM_WEB)
            QVERIFY(server.requests.isEmpty());
        form->findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
        QCOMPARE(ViewerProcesses::instance().runningCount(), 0);
        delete form.data();
    }
};

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::listen(fd, 16) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        proxySocket = fd;
        // Qt splits these options at blanks, so each must be free of them.
        WebEngineTest::addChromiumFlags(QByteArray("--proxy-server=http://127.0.0.1:")
                                        + QByteArray::number(ntohs(address.sin_port))
                                        + " --proxy-bypass-list=<-loopback>");
    }
#endif
    WebEngineTest::prepare();
    QApplication app(argc, argv);
    FormStyle::applyDesignFont();
    TestHelpPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_helppages.moc"
