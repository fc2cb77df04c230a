// Which installed file answers an address: only pages under /kvrg/quenlar/ on
// the project's web host, and never a file outside the installed folder,
// however the path is spelled; and which addresses are the project's at all.
#include "helppages.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestHelpFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;

    bool put(const QString &relative)
    {
        const QString path = root.path() + QLatin1Char('/') + relative;
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        QVERIFY(put(QStringLiteral("help/kvrg/quenlar/dravolt.html")));
        QVERIFY(put(QStringLiteral("help/kvrg/quenlar/sub/page.html")));
        // Beside and above the pages: never to be answered.
        QVERIFY(put(QStringLiteral("help/kvrg/secret.html")));
        QVERIFY(put(QStringLiteral("help/secret.html")));
        QVERIFY(put(QStringLiteral("secret.html")));
        QVERIFY(put(QStringLiteral("help/kvrg/quenlarx/dravolt.html")));
        HelpPages::setInstalledFolder(root.path() + QStringLiteral("/help"));
    }

    void installedFileAnswers_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("file"); // under the folder, or "" for none
        QTest::addColumn<bool>("project"); // the project's address, shown in the viewer
        const QString host = QLatin1String(Version::WebHost);
        const QString page = QStringLiteral("kvrg/quenlar/dravolt.html");
        const auto row = [&](const char *tag, const QString &address, const QString &file, bool project = true) {
            QTest::newRow(tag) << address << file << project;
        };
        row("the guide", HelpPages::guideAddress(), page);
        row("host in capitals", QStringLiteral("http://%1/kvrg/quenlar/dravolt.html").arg(host.toUpper()), page);
        row("port 80", QStringLiteral("http://%1:80/kvrg/quenlar/dravolt.html").arg(host), page);
        row("query and anchor", HelpPages::guideAddress() + QStringLiteral("?a=1#switches"), page);
        row("a folder below", QStringLiteral("http://%1/kvrg/quenlar/sub/page.html").arg(host),
            QStringLiteral("kvrg/quenlar/sub/page.html"));
        row("down and up again", QStringLiteral("http://%1/kvrg/quenlar/sub/../dravolt.html").arg(host), page);
        row("missing page", HelpPages::uniqueNamesAddress(), QString());
        row("the folder itself", HelpPages::projectAddress(), QString());
        row("other port", QStringLiteral("http://%1:8080/kvrg/quenlar/dravolt.html").arg(host), QString(), false);
        row("https", QStringLiteral("https://%1/kvrg/quenlar/dravolt.html").arg(host), QString(), false);
        row("other host", QStringLiteral("http://example.org/kvrg/quenlar/dravolt.html"), QString(), false);
        row("similar folder", QStringLiteral("http://%1/kvrg/quenlarx/dravolt.html").arg(host), QString(), false);
        row("up one", QStringLiteral("http://%1/kvrg/quenlar/../secret.html").arg(host), QString());
        row("up two", QStringLiteral("http://%1/kvrg/quenlar/../../secret.html").arg(host), QString());
        row("up out of the folder", QStringLiteral("http://%1/kvrg/quenlar/../../../secret.html").arg(host), QString());
        row("up, encoded", QStringLiteral("http://%1/kvrg/quenlar/%2e%2e/%2E%2E/secret.html").arg(host), QString());
        row("up, backslashes", QStringLiteral("http://%1/kvrg/quenlar/..%5c..%5csecret.html").arg(host), QString());
        row("encoded slash", QStringLiteral("http://%1/kvrg/quenlar/..%2f..%2fsecret.html").arg(host), QString());
        row("nul", QStringLiteral("http://%1/kvrg/quenlar/dravolt.html%00.txt").arg(host), QString(), false);
    }

    void installedFileAnswers()
    {
        QFETCH(QString, address);
        QFETCH(QString, file);
        QFETCH(bool, project);
        QCOMPARE(HelpPages::isProjectAddress(QUrl(address)), project);
        const QString expected = file.isEmpty() ? QString() : QFileInfo(root.path() + QStringLiteral("/help/") + file).absoluteFilePath();
        QCOMPARE(HelpPages::installedFile(QUrl(address)), expected);
    }
};

QTEST_GUILESS_MAIN(TestHelpFiles)
#include "tst_helpfiles.moc"
