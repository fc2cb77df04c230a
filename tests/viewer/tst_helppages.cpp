// The shipped help pages at their real addresses: every host is sent to a
// loopback server through a proxy option, so the viewer asks for the
// published address and gets the page from the repository.
#include "formstyle.h"
#include "frmBrowser.h"
#include "frmQuenlar.h"
#include "helppages.h"
#include "httpresponder.h"
#include "version.h"
#include "viewerprocesses.h"
#include "webenginetest.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
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

} // namespace

class TestHelpPages : public QObject
{
    Q_OBJECT

private:
    HttpResponder server;
    const QString guidePath = QStringLiteral("/kvrg/quenlar/dravolt.html");
    const QString uniquePath = QStringLiteral("/kvrg/quenlar/dravoltunique.html");
    QPointer<frmBrowser> viewer;

    bool requested(const QString &path) const
    {
        for (const HttpRequest &r : server.requests)
            if (r.host == QLatin1String(Version::WebHost) && r.path == path
                && r.target == (QStringLiteral("http://") + r.host + path).toLatin1())
                return true;
        return false;
    }
    // Paths the engine asked for, the site icon aside.
    QStringList pagesRequested() const
    {
        QStringList paths = server.requestedPaths();
        paths.removeAll(QStringLiteral("/favicon.ico"));
        return paths;
    }
    void clickLinkTo(const QString &href)
    {
        viewer->findChild<WebBrowser *>()->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href=\"%1\"]').click();").arg(href));
    }

private slots:
    void initTestCase()
    {
        if (proxySocket < 0)
            QSKIP("needs a loopback socket bound before the engine starts (Unix)");
        QVERIFY(server.listen(proxySocket));
        server.addPage(guidePath, pageFile(QStringLiteral("dravolt.html")));
        server.addPage(uniquePath, pageFile(QStringLiteral("dravoltunique.html")));
    }

    void cleanup() { delete viewer.data(); }

    void guideTitleReachesTheCaption()
    {
        viewer = new frmBrowser;
        viewer->StartingAddress = HelpPages::guideAddress();
        viewer->show();
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Dravolt Guide"), 5000);
        QCOMPARE(titleOf(pageFile(QStringLiteral("dravolt.html"))), QStringLiteral("Dravolt Guide"));
        QVERIFY(requested(guidePath));
        // Self-contained: the page needs nothing else from the host.
        QCOMPARE(pagesRequested(), QStringList{guidePath});

        // The guide leads to the page on unique names and back.
        server.requests.clear();
        clickLinkTo(QStringLiteral("dravoltunique.html"));
        const QString uniqueTitle = titleOf(pageFile(QStringLiteral("dravoltunique.html")));
        QVERIFY(!uniqueTitle.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), uniqueTitle, 5000);
        QVERIFY(requested(uniquePath));
        QCOMPARE(pagesRequested(), QStringList{uniquePath});
        clickLinkTo(QStringLiteral("dravolt.html"));
        QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("Dravolt Guide"), 5000);
    }

    // What the pages must hold to be of use, and nothing they may not.
    void pagesContent()
    {
        const QString guide = QString::fromUtf8(pageFile(QStringLiteral("dravolt.html")));
        const QString unique = QString::fromUtf8(pageFile(QStringLiteral("dravoltunique.html")));
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

    // Through the real window and the real viewer program, which inherits the
    // proxy option: Details asks for the published guide address; Exit ends it.
    void detailsOpensTheGuideInTheViewerProgram()
    {
        server.requests.clear();
        ViewerProcesses::setProgramFolder(QStringLiteral(VIEWER_DIR));
        QPointer<frmQuenlar> form = new frmQuenlar;
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        form->findChild<QPushButton *>(QStringLiteral("cmdDetailsSwitches"))->click();
        QCOMPARE(ViewerProcesses::instance().runningCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(requested(guidePath), 5000);
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
