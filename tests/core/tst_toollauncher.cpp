// Starting the tool: the location is the program, whole; the arguments arrive
// exactly as given; a failed start says why.
#include "standinlog.h"
#include "toollauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

class TestToolLauncher : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString log;

    QString installStandin(const QString &relativePath)
    {
        const QString target = dir.filePath(relativePath);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(QStringLiteral(STANDIN_TOOL), target))
            qFatal("cannot copy the stand-in tool");
        return target;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        log = dir.filePath(QStringLiteral("runs.log"));
        QFile::remove(log);
        qputenv("QUENLAR_STANDIN_LOG", QFile::encodeName(log));
    }

    void argumentsArriveExactly()
    {
        const QString tool = installStandin(QStringLiteral("quenlar.exe"));
        const QStringList args{"/img/my track.tga", "a b", "007", "/ixy"};
        const ToolLauncher::Result r = ToolLauncher::start(tool, args);
        QVERIFY2(r.started, qPrintable(r.reason));
        QTRY_COMPARE_WITH_TIMEOUT(readStandinLog(log).size(), 1, 5000);
        QCOMPARE(readStandinLog(log).first().arguments, args);
    }

    void emptyArgumentsStayArguments()
    {
        const QString tool = installStandin(QStringLiteral("quenlar.exe"));
        QVERIFY(ToolLauncher::start(tool, {"", "", "000"}).started);
        QTRY_COMPARE_WITH_TIMEOUT(readStandinLog(log).size(), 1, 5000);
        QCOMPARE(readStandinLog(log).first().arguments, QStringList({"", "", "000"}));
    }

#ifndef Q_OS_WIN
    void aBlankInTheLocationNeverRunsAnotherProgram()
    {
        const QString tool = installStandin(QStringLiteral("my tools/quenlar.exe"));
        // A program planted where the location's first word ends.
        const QString planted = dir.filePath(QStringLiteral("my"));
        const QString marker = dir.filePath(QStringLiteral("planted-ran"));
        QFile script(planted);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QVERIFY(ToolLauncher::start(tool, {"a.tga", "b", "000"}).started);
        QTRY_COMPARE_WITH_TIMEOUT(readStandinLog(log).size(), 1, 5000);
        QVERIFY(!QFile::exists(marker));
    }

    void aRelativeLocationIsNotSearchedInPath()
    {
        installStandin(QStringLiteral("cwd/quenlar.exe"));
        const QString elsewhere = dir.filePath(QStringLiteral("onpath"));
        QDir().mkpath(elsewhere);
        const QString marker = dir.filePath(QStringLiteral("path-ran"));
        QFile script(elsewhere + QStringLiteral("/quenlar.exe"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        const QByteArray oldPath = qgetenv("PATH");
        const QString oldCwd = QDir::currentPath();
        qputenv("PATH", QFile::encodeName(elsewhere) + ':' + oldPath);
        QDir::setCurrent(dir.filePath(QStringLiteral("cwd")));
        const bool started = ToolLauncher::start(QStringLiteral("quenlar.exe"), {"a.tga", "b", "000"}).started;
        QDir::setCurrent(oldCwd);
        qputenv("PATH", oldPath);

        QVERIFY(started);
        QTRY_COMPARE_WITH_TIMEOUT(readStandinLog(log).size(), 1, 5000);
        QVERIFY(!QFile::exists(marker));
    }

    // As a detached start: a session of its own, nothing left behind when it ends.
    void theToolRunsInASessionOfItsOwnAndIsCollected()
    {
        const QString record = dir.filePath(QStringLiteral("session"));
        const QString tool = dir.filePath(QStringLiteral("session-tool/quenlar.exe"));
        QDir().mkpath(QFileInfo(tool).absolutePath());
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho $$ $(cut -d' ' -f6 /proc/$$/stat) > '" + QFile::encodeName(record)
                     + "'\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QVERIFY(ToolLauncher::start(tool, {"a.tga", "b", "000"}).started);
        QTRY_VERIFY_WITH_TIMEOUT(QFile(record).size() > 0, 5000);
        QFile f(record);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> ids = f.readAll().trimmed().split(' ');
        QCOMPARE(ids.size(), 2);
        const pid_t pid = pid_t(ids[0].toLongLong());
        QCOMPARE(ids[1].toLongLong(), qint64(pid));
        QVERIFY(::getsid(0) != pid);
        // Gone for good, not a zombie child of the front end.
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) == -1 && errno == ESRCH, 5000);
    }

    void notExecutableSaysSo()
    {
        const QString tool = dir.filePath(QStringLiteral("plain/quenlar.exe"));
        QDir().mkpath(QFileInfo(tool).absolutePath());
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const ToolLauncher::Result r = ToolLauncher::start(tool, {"a", "b", "c"});
        QVERIFY(!r.started);
        QCOMPARE(r.reason, QStringLiteral("The file is not executable."));
    }
#endif

    void missingFileSaysSo()
    {
        const ToolLauncher::Result r =
            ToolLauncher::start(dir.filePath(QStringLiteral("gone/quenlar.exe")), {"a", "b", "c"});
        QVERIFY(!r.started);
        QCOMPARE(r.reason, QStringLiteral("The file does not exist."));
    }
};

QTEST_GUILESS_MAIN(TestToolLauncher)
#include "tst_toollauncher.moc"
