// Starting the tool: the location is the program, whole; the arguments arrive
// exactly as given, a Windows tool's source in its Windows form; a failed start
// says why.
#include "standinlog.h"
#include "testfiles.h"
#include "toolfile.h"
#include "toollauncher.h"
#include "windowsprogram.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#ifndef Q_OS_WIN
#include "wine_unix.h"
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <unistd.h>
#else
#include "platform_win.h"
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

Q_DECLARE_METATYPE(ToolFile::Kind)

class TestToolLauncher : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString log;

    QString installStandin(const QString &relativePath, const QString &standin = toolStandin())
    {
        return copyFile(standin, dir.filePath(relativePath));
    }

    // A folder of programs to serve as the whole PATH: a terminal stand-in
    // under `terminalName`.
    QString makePathFolder(const QString &terminalName)
    {
        const QString bin = dir.filePath(QStringLiteral("bin-%1").arg(++pathFolders));
        QDir().mkpath(bin);
        copyFile(QStringLiteral(TERMINAL_STANDIN), bin + '/' + terminalName);
        return bin;
    }
    int pathFolders = 0;

#ifndef Q_OS_WIN
    // A Wine prefix's drive links as Wine makes them (`withRoot`: Z: too), with
    // device entries beside them that are no drives, one reaching the test's
    // folder.
    QString makePrefix(const QString &name, bool withRoot)
    {
        const QString prefix = dir.filePath(name);
        QDir().mkpath(prefix + QStringLiteral("/drive_c/my pics"));
        QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
        QFile::link(QStringLiteral("../drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
        QFile::link(dir.path(), prefix + QStringLiteral("/dosdevices/d::"));
        QFile::link(QStringLiteral("/dev/ttyS0"), prefix + QStringLiteral("/dosdevices/com1"));
        if (withRoot)
            QFile::link(QStringLiteral("/"), prefix + QStringLiteral("/dosdevices/z:"));
        return prefix;
    }

    // What `winepath -w` in the test run's Wine prefix gives for a path.
    // Wine's server then runs on for a few seconds, as after any Wine program:
    // a start asked for right after times Wine's answers, not the start of its
    // server, which a busy machine stretches beyond the press's wait.
    static QString winepath(const QString &path)
    {
        QProcess winepath;
        winepath.setProcessEnvironment(Platform::wineEnvironment(QProcessEnvironment::systemEnvironment()));
        winepath.start(QStringLiteral("winepath"), {QStringLiteral("-w"), path});
        if (!winepath.waitForFinished(60000))
            qFatal("winepath did not end");
        return QString::fromUtf8(winepath.readAllStandardOutput()).trimmed();
    }
#endif

    // The Windows stand-in and, elsewhere than on Windows, Wine; or the
    // reason the case cannot run here.
    static QString windowsSkipReason(const QString &standin = QStringLiteral(STANDIN_WINDOWS_TOOL))
    {
        if (standin.isEmpty())
            return QStringLiteral("no Windows stand-in (mingw-w64 missing)");
#ifndef Q_OS_WIN
        if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty() || !qEnvironmentVariableIsSet("WINEPREFIX"))
            return QStringLiteral("no Wine, or no WINEPREFIX of the test run's own");
#endif
        return QString();
    }

#ifndef Q_OS_WIN
    // A folder for LOCPATH that holds the locale `name` (ru_RU.UTF-8), made
    // with localedef, so that it need not be installed; "" when it cannot be.
    QString generatedLocales(const QString &name)
    {
        const QString folder = dir.filePath(QStringLiteral("locales"));
        if (QFileInfo::exists(folder + '/' + name))
            return folder;
        QDir().mkpath(folder);
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), name.section('.', 0, 0),
                                                      QStringLiteral("-f"), name.section('.', 1), folder + '/' + name});
        return localedef.waitForFinished(60000) && localedef.exitCode() == 0 ? folder : QString();
    }
#endif

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
        QVERIFY2(r.reason.contains(QStringLiteral("not executable")), qPrintable(r.reason));
    }
#endif

    void theFileHeaderTellsTheKindOfProgram_data()
    {
        using ToolFile::Kind;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        const QByteArray pe64 = windowsProgramHeaders(0x8664, 0x20b);
        QTest::newRow("ELF") << QByteArray("\x7f" "ELF\2\1\1\0", 8) << Kind::Native;
        QTest::newRow("script") << QByteArray("#!/bin/sh\necho\n") << Kind::Native;
        QTest::newRow("text") << QByteArray("C:\\TOOLS\\Quenlar.exe\r\n") << Kind::NotAProgram;
        QTest::newRow("empty") << QByteArray() << Kind::NotAProgram;
        QTest::newRow("x86-64") << pe64 << Kind::Windows64;
        QTest::newRow("i386") << windowsProgramHeaders(0x14c, 0x10b) << Kind::Windows32;
        QTest::newRow("ARM64") << windowsProgramHeaders(0xAA64, 0x20b) << Kind::WindowsOther;
        QTest::newRow("x86-64 with a 32-bit header") << windowsProgramHeaders(0x8664, 0x10b) << Kind::DamagedWindows;
        QTest::newRow("cut short in its data") << pe64.left(0x300) << Kind::DamagedWindows;
        QTest::newRow("cut short in its headers") << pe64.left(0x50) << Kind::DamagedWindows;
        QTest::newRow("MZ and text") << QByteArray("MZ is not a program") << Kind::DamagedWindows;
        QTest::newRow("DOS") << dosProgram() << Kind::Dos;
        QTest::newRow("DOS cut short") << dosProgram().left(600) << Kind::DamagedWindows;
    }

    void theFileHeaderTellsTheKindOfProgram()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ToolFile::Kind, kind);
        QCOMPARE(ToolFile::classify(bytes, bytes.size()), kind);
    }

#ifndef Q_OS_WIN
    // Through Wine, every text reaches the Windows program whole, the source
    // as winepath gives it, and it opens, whatever the user's locale.
    void aWindowsToolRunsThroughWineWithEveryTextWhole_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("UTF-8") << QByteArray("C.UTF-8");
        QTest::newRow("ASCII") << QByteArray("C");
        QTest::newRow("missing from the system") << QByteArray("xx_YY.UTF-8");
    }

    void aWindowsToolRunsThroughWineWithEveryTextWhole()
    {
        if (const QString why = windowsSkipReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QString tool = installStandin(QStringLiteral("my tools/Quenlar.EXE"), QStringLiteral(STANDIN_WINDOWS_TOOL));
        const QString source = putFile(dir.filePath(QStringLiteral("my dir/tr ack ü.tga")), "0123456");
        QFETCH(QByteArray, locale);
        ScopedEnvironment env;
        env.unset("DISPLAY"); // no terminal
        env.set("LC_ALL", locale);
        const QStringList args{source, QStringLiteral("a \"b"), QStringLiteral("$x;&|"),
                               QStringLiteral("C:\\dir\\"), QString(), QStringLiteral("ßü 'q'")};
        const QString windowsSource = winepath(source);
        const ToolLauncher::Result r = ToolLauncher::start(tool, args);
        QVERIFY2(r.started, qPrintable(r.reason));
        QTRY_COMPARE_WITH_TIMEOUT(readWindowsStandinLog(log).size(), 1, 60000);
        const WindowsStandinRun run = readWindowsStandinLog(log).first();
        QVERIFY2(windowsSource.startsWith(QStringLiteral("Z:\\")), qPrintable(windowsSource));
        QCOMPARE(run.arguments, QStringList{windowsSource} + args.mid(1));
        QCOMPARE(run.sourceSize, 7);
    }

    // The source as Wine's programs know it, from the prefix's drive links:
    // the drive whose folder holds it most closely. %1 is the test's folder,
    // in the expected texts with backslashes.
    void wineGetsTheSourceInItsWindowsForm_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("under drive_c") << "prefix" << "%1/prefix/drive_c/my pics/ü.tga" << "C:\\my pics\\ü.tga";
        QTest::newRow("drive_c through a link, not there yet") << "prefix" << "%1/to-c/new/x.tga" << "C:\\new\\x.tga";
        QTest::newRow("outside it, a blank, non-ASCII") << "prefix" << "%1/my dir/tr ack ü.tga"
                                                        << "Z:%1\\my dir\\tr ack ü.tga";
        QTest::newRow("relative") << "prefix" << "sub/../a b.tga" << "Z:%1\\a b.tga";
        QTest::newRow("no prefix yet") << "none" << "%1/x.tga" << "Z:%1\\x.tga";
        QTest::newRow("no drive holds it") << "no-root" << "%1/x.tga" << "\\\\?\\unix%1\\x.tga";
    }

    void wineGetsTheSourceInItsWindowsForm()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        makePrefix(QStringLiteral("prefix"), true);
        makePrefix(QStringLiteral("no-root"), false);
        QFile::link(dir.filePath(QStringLiteral("prefix/drive_c")), dir.filePath(QStringLiteral("to-c")));
        const QString folder = dir.path();
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(folder);
        const QString windows = Platform::windowsPath(path.arg(folder), dir.filePath(prefix));
        QDir::setCurrent(oldCwd);
        QCOMPARE(windows, expected.arg(QString(folder).replace('/', '\\')));
    }

    // A Wine that never answers holds the start up for a bounded time, and
    // what was asked of it ends with the answer.
    void aWineThatDoesNotAnswerHoldsNothingUp()
    {
        const QString tool =
            putFile(dir.filePath(QStringLiteral("hung/Quenlar.exe")), windowsProgramHeaders(0x8664, 0x20b));
        const QString pidFile = dir.filePath(QStringLiteral("hung/pid"));
        const QString wine = putFile(dir.filePath(QStringLiteral("hung/wine")),
                                     "#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 60\n");
        QFile(wine).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        ScopedEnvironment env;
        env.set("WINE", QFile::encodeName(wine));
        env.unset("DISPLAY");
        // A letter beyond ASCII: Wine is asked for its code page.
        const ToolLauncher::Result r =
            ToolLauncher::start(tool, {dir.filePath(QStringLiteral("πίστα.tga")), "b", "000"});
        QVERIFY(!r.started);
        QVERIFY2(r.reason.startsWith(QStringLiteral("Wine gave no answer within 1.8 seconds")), qPrintable(r.reason));
        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        QVERIFY(::kill(pid_t(pid.readAll().trimmed().toLongLong()), 0) == -1 && errno == ESRCH);
    }

    // Wine's environment: UTF-8 texts whatever the locale, its own
    // diagnostics off unless asked for; nothing else changes.
    void wineGetsUtf8AndNoDiagnostics_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("UTF-8, TMPDIR") << QStringList{"LANG=C.UTF-8", "HOME=/h", "TMPDIR=/tmp"}
                                       << QStringList{"HOME=/h", "LANG=C.UTF-8", "WINEDEBUG=-all"};
        QTest::newRow("diagnostics asked for") << QStringList{"LANG=C.UTF-8", "WINEDEBUG=+relay"}
                                               << QStringList{"LANG=C.UTF-8", "WINEDEBUG=+relay"};
        QTest::newRow("ASCII in LC_ALL") << QStringList{"LC_ALL=C", "LANG=de_DE.UTF-8"}
                                         << QStringList{"LANG=C", "LC_CTYPE=C.UTF-8", "WINEDEBUG=-all"};
        QTest::newRow("none") << QStringList{} << QStringList{"LC_CTYPE=C.UTF-8", "WINEDEBUG=-all"};
    }

    void wineGetsUtf8AndNoDiagnostics()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, expected);
        QProcessEnvironment environment;
        for (const QString &entry : given)
            environment.insert(entry.section('=', 0, 0), entry.section('=', 1));
        QStringList result = Platform::wineEnvironment(environment).toStringList();
        result.sort();
        QCOMPARE(result, expected);
    }

    // The desktop's terminal, the first of xdg-terminal-exec,
    // x-terminal-emulator and $TERMINAL, gets nothing but plain words, and
    // the tool exactly its program and arguments, whatever they hold.
    void theToolRunsInATerminalWindow_data()
    {
        QTest::addColumn<QStringList>("terminalNames"); // in PATH; the first is the one used
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("terminalVariable");
        QTest::newRow("xdg-terminal-exec") << QStringList{"xdg-terminal-exec", "x-terminal-emulator"} << QStringList{}
                                           << "x-terminal-emulator";
        QTest::newRow("x-terminal-emulator") << QStringList{"x-terminal-emulator"} << QStringList{"-e"} << "my term";
        QTest::newRow("$TERMINAL") << QStringList{"my term"} << QStringList{"-e"} << "my term";
    }

    // (A Windows tool through Wine in real terminals: tests/e2e, EveryTerminal.)
    void theToolRunsInATerminalWindow()
    {
        QFETCH(QStringList, terminalNames);
        QFETCH(QStringList, options);
        QFETCH(QString, terminalVariable);
        const QString tool = installStandin(QStringLiteral("My Tools/quenlar.exe"));
        const QString bin = makePathFolder(terminalNames.first());
        for (const QString &other : terminalNames.mid(1))
            copyFile(QStringLiteral(TERMINAL_STANDIN), bin + '/' + other);
        const QString terminalLog = dir.filePath(QStringLiteral("terminal.log"));
        QFile::remove(terminalLog);
        const QString source = putFile(dir.filePath(QStringLiteral("my pics/it's $HOME & a\\b ü.tga")), "0123456");
        const QStringList args{source, "a b", "007", "/y"};
        ScopedEnvironment env;
        env.set("PATH", QFile::encodeName(bin));
        env.set("DISPLAY", ":97");
        env.set("TERMINAL", terminalVariable.toUtf8());
        env.set("TERMINAL_STANDIN_LOG", QFile::encodeName(terminalLog));

        const ToolLauncher::Result r = ToolLauncher::start(tool, args);
        QVERIFY2(r.started, qPrintable(r.reason));
        QTRY_COMPARE_WITH_TIMEOUT(readTerminalStandinLog(terminalLog).size(), 1, 5000);
        const QStringList terminal = readTerminalStandinLog(terminalLog).first();
        QCOMPARE(terminal.mid(0, options.size()), options);
        const QStringList words = terminal.mid(options.size());
        QCOMPARE(words.size(), 2);
        QCOMPARE(words.first(), QStringLiteral("/bin/sh"));
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._-]+$"));
        QVERIFY2(plain.match(words.last()).hasMatch(), qPrintable(words.last()));
        QTRY_COMPARE_WITH_TIMEOUT(readStandinLog(log).size(), 1, 5000);
        QCOMPARE(readStandinLog(log).first().arguments, args);
        // The launch file removed itself.
        QVERIFY(!QFile::exists(words.last()));
    }
#endif

    // A tool of Quenlar.exe's kind takes its arguments in its ANSI code page
    // and opens its source with fopen: it gets the source as it stands where
    // the code page spells it, else the file's short name, and opens each.
    // Under Wine the code page is that of Wine's locale; the Windows build's
    // is the system's.
    void anAnsiToolOpensEverySource_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("locale"); // Wine's (LANG); the table expects windows-1252 elsewhere
        QTest::addColumn<bool>("asItStands");
        QString deep;
        for (int i = 1; i <= 9; ++i)
            deep += QStringLiteral("folder number %1 of a long path/").arg(i);
        QTest::newRow("Latin letters beyond ASCII") << "café über.tga" << QByteArray() << true;
        QTest::newRow("Cyrillic") << "картинки/трек поле.tga" << QByteArray() << false;
        QTest::newRow("Greek with CJK") << "πίστα 地面.tga" << QByteArray() << false;
        QTest::newRow("longer than 260 characters") << deep + "track.tga" << QByteArray() << false;
#ifndef Q_OS_WIN
        QTest::newRow("a quote") << "tr\"ack.tga" << QByteArray() << false;
        QTest::newRow("a bar") << "tr|ack.tga" << QByteArray() << false;
        // Wine 10 reads < > " as wildcards; a file beside it must not be taken for it.
        QTest::newRow("a less-than sign, a quote's file beside it") << "tr<ack.tga" << QByteArray() << false;
        QTest::newRow("a question mark") << "tr?ack.tga" << QByteArray() << false;
        QTest::newRow("Cyrillic, Russian locale (1251)") << "картинки/трек поле.tga" << QByteArray("ru_RU.UTF-8") << true;
#endif
    }

    void anAnsiToolOpensEverySource()
    {
        if (const QString why = windowsSkipReason(QStringLiteral(STANDIN_ANSI_TOOL)); !why.isEmpty())
            QSKIP(qPrintable(why));
        QFETCH(QString, name);
        QFETCH(QByteArray, locale);
        QFETCH(bool, asItStands);
        const QString tool = installStandin(QStringLiteral("ansi/Quenlar.exe"), QStringLiteral(STANDIN_ANSI_TOOL));
        const QString source =
            QDir::toNativeSeparators(putFile(dir.filePath(QStringLiteral("sources/") + name), "0123456"));
        if (name.contains(QLatin1Char('<')))
            putFile(dir.filePath(QStringLiteral("sources/") + QString(name).replace('<', '"')), "decoy");
#ifdef Q_OS_WIN
        if (GetACP() != 1252)
            QSKIP("the table expects the code page windows-1252");
        const QString windowsForm = source;
#else
        ScopedEnvironment env;
        env.unset("DISPLAY"); // no terminal
        env.unset("LC_ALL");
        env.unset("LC_CTYPE");
        env.set("LANG", locale.isEmpty() ? QByteArray("C.UTF-8") : locale);
        if (!locale.isEmpty()) {
            const QString locales = generatedLocales(QString::fromLatin1(locale));
            if (locales.isEmpty())
                QSKIP("localedef cannot make the locale (Debian: the locales package)");
            env.set("LOCPATH", QFile::encodeName(locales));
        }
        const QString windowsForm = winepath(source);
#endif
        const ToolLauncher::Result r = ToolLauncher::start(tool, {source, "b", "000"});
        QVERIFY2(r.started, qPrintable(r.reason));
        QTRY_COMPARE_WITH_TIMEOUT(readWindowsStandinLog(log).size(), 1, 60000);
        const WindowsStandinRun run = readWindowsStandinLog(log).first();
        const QString received = run.arguments.value(0);
        QVERIFY2(run.sourceSize == 7, qPrintable(QStringLiteral("fopen failed on ") + received));
        if (asItStands) {
            QCOMPARE(received, windowsForm);
        } else {
            // A short name: plain letters, within MAX_PATH.
            QVERIFY2(received != windowsForm && received.size() < 260
                         && std::all_of(received.begin(), received.end(), [](QChar c) { return c.unicode() < 0x80; }),
                     qPrintable(received));
        }
        QCOMPARE(run.arguments.mid(1), QStringList({"b", "000"}));
    }

    // Where no name opens the source, the tool does not start: the reason
    // names the file, what keeps the tool from opening it and what mends it.
    void noNameOpensTheSourceSoTheToolDoesNotStart()
    {
        if (const QString why = windowsSkipReason(QStringLiteral(STANDIN_ANSI_TOOL)); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QString tool = installStandin(QStringLiteral("ansi/Quenlar.exe"), QStringLiteral(STANDIN_ANSI_TOOL));
#ifdef Q_OS_WIN
        if (GetACP() == CP_UTF8)
            QSKIP("the code page spells every name");
        // A volume without short names, where GetShortPathNameW gives the path back.
        Platform::setShortPathForTesting([](const QString &path) { return path; });
        const QString source =
            QDir::toNativeSeparators(putFile(dir.filePath(QStringLiteral("sources/πίστα 地面.tga")), "0"));
        const QString why = QStringLiteral("letters outside the system's code page, windows-%1,").arg(GetACP());
#else
        // A backslash, which Windows reads as a folder's end: no name opens it.
        const QString source = putFile(dir.filePath(QStringLiteral("sources/tr\\ack.tga")), "0");
        const QString why = QStringLiteral("characters that Windows does not allow in names");
        winepath(source);
#endif
        const ToolLauncher::Result r = ToolLauncher::start(tool, {source, "b", "000"});
#ifdef Q_OS_WIN
        Platform::setShortPathForTesting({});
#endif
        QVERIFY(!r.started);
        const QString remedy = QStringLiteral("a name of plain letters (A to Z, 0 to 9), in a folder of plain letters");
        QVERIFY2(r.reason.contains(source) && r.reason.contains(why) && r.reason.contains(remedy), qPrintable(r.reason));
        QVERIFY(readWindowsStandinLog(log).isEmpty());
    }

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
        // Not in the source, which goes by its short name where the code page cannot spell it.
        QTest::newRow("non-ASCII") << "quenlar.exe"
                                   << QStringList{"track.tga", QString::fromUtf8("\u00fcber \u4e2d"), "\u03a9", ""};
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
