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
#else
#include <QCoreApplication>
#include <QProcess>
#include <qt_windows.h>
#include <tlhelp32.h>

// Whether a process runs the program at that path.
static bool programRunning(const QString &program)
{
    const QString wanted = QDir::toNativeSeparators(QFileInfo(program).absoluteFilePath());
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        wchar_t path[MAX_PATH * 2];
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, path, &size))
            found = QString::fromWCharArray(path, int(size)).compare(wanted, Qt::CaseInsensitive) == 0;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}
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
        if (!QFile::copy(toolStandin(), target))
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
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
        QCOMPARE(readToolLog(log).first().arguments, args);
    }

    void emptyArgumentsStayArguments()
    {
        const QString tool = installStandin(QStringLiteral("quenlar.exe"));
        QVERIFY(ToolLauncher::start(tool, {"", "", "000"}).started);
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
        QCOMPARE(readToolLog(log).first().arguments, QStringList({"", "", "000"}));
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
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
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
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
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

#ifdef Q_OS_WIN
    // Windows hands a program one command-line text: each argument must come
    // out of the tool's own parsing exactly as it went in.
    void argumentsSurviveWindowsQuoting_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks") << "quenlar.exe" << QStringList{"C:\\My Images\\my track.tga", "a b", "007", "/ixy"};
        QTest::newRow("quotes") << "quenlar.exe" << QStringList{"say \"hi\".tga", "\"", "0\"0", ""};
        QTest::newRow("backslashes before quotes") << "quenlar.exe" << QStringList{"C:\\dir\\", "a\\\"b", "\\\\", "/x"};
        QTest::newRow("non-ASCII") << "quenlar.exe" << QStringList{QString::fromUtf8("\u00fcber \u4e2d.tga"), "\u03a9", "000", ""};
        QTest::newRow("blank in the location") << "my tools/quenlar.exe" << QStringList{"a.tga", "b", "000", ""};
    }
    void argumentsSurviveWindowsQuoting()
    {
        QFETCH(QString, location);
        QFETCH(QStringList, arguments);
        const QString tool = installStandin(location);
        const ToolLauncher::Result r = ToolLauncher::start(tool, arguments);
        QVERIFY2(r.started, qPrintable(r.reason));
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 10000);
        const ToolRun run = readToolLog(log).first();
        QCOMPARE(run.arguments, arguments);
        QVERIFY2(run.commandLine.contains(QDir::toNativeSeparators(tool)), qPrintable(run.commandLine));
    }

    // Started as Dravolt starts it, by a program that then ends: the tool runs on.
    void theToolRunsOnAfterDravoltEnds()
    {
        const QString tool = installStandin(QStringLiteral("runs-on/quenlar.exe"));
        qputenv("QUENLAR_STANDIN_HOLD", "4000");
        const int exitCode = QProcess::execute(QCoreApplication::applicationFilePath(),
                                               {QStringLiteral("--start-tool-and-end"), tool});
        qunsetenv("QUENLAR_STANDIN_HOLD");
        QCOMPARE(exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 10000);
        QVERIFY(programRunning(tool));
        QTRY_VERIFY_WITH_TIMEOUT(!programRunning(tool), 15000);
    }

    void notAProgramSaysWhy()
    {
        const QString tool = dir.filePath(QStringLiteral("plain/quenlar.exe"));
        QDir().mkpath(QFileInfo(tool).absolutePath());
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a program");
        f.close();
        const ToolLauncher::Result r = ToolLauncher::start(tool, {"a", "b", "c"});
        QVERIFY(!r.started);
        QVERIFY(!r.reason.isEmpty());
        QVERIFY(readToolLog(log).isEmpty());
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

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The starter of theToolRunsOnAfterDravoltEnds: starts the tool and ends.
    if (argc == 3 && qstrcmp(argv[1], "--start-tool-and-end") == 0)
        return ToolLauncher::start(QCoreApplication::arguments().at(2), {"a.tga", "b", "000"}).started ? 0 : 1;
#endif
    TestToolLauncher test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_toollauncher.moc"
