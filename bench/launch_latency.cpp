// Time from a press of "&Slice it" to the tool's process running, in process
// and with the stand-in tool, which records the steady-clock time of its own
// start. Baseline: the floor, the same program started directly with
// posix_spawn from the same process; each press is followed by one such start.
//
//   dravolt_bench_launch <stand-in quenlar.exe> <presses>
// Prints two lines, "dravolt <ms>..." and "baseline <ms>...".
//
//   dravolt_bench_launch <tool> --paced <program> [<argument>...]
// Paced by the caller, which watches for what it measures (a Windows tool's
// log line, a terminal window mapped): for each line "press" on standard
// input it presses "&Slice it", for each line "direct" it starts the program
// with the arguments itself ("@source" stands for the source file,
// "@windows-source" for its Windows name under Wine), and prints
// "<what> <start ns> <returned ns>" in steady-clock time (CLOCK_MONOTONIC).
#include "formstyle.h"
#include "frmQuenlar.h"
#include "wine_unix.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Waits for the stand-in's next line in the log and returns its start time.
qint64 nextStart(QFile &log)
{
    QElapsedTimer waited;
    waited.start();
    QByteArray line;
    while (waited.elapsed() < 5000) {
        line += log.readLine();
        if (line.endsWith('\n'))
            return line.split('\x1f').first().toLongLong();
        QThread::usleep(200);
    }
    std::fprintf(stderr, "the stand-in tool did not start within 5 s\n");
    std::exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    // The bench's settings, with the tool's location, or none of the user's.
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    // The caller's log when it watches one (paced), else the bench's own.
    const QString logPath = dir.filePath(QStringLiteral("tool.log"));
    const bool paced = argc > 2 && QByteArray(argv[2]) == "--paced";
    if (!paced || qEnvironmentVariableIsEmpty("QUENLAR_STANDIN_LOG"))
        qputenv("QUENLAR_STANDIN_LOG", QFile::encodeName(logPath));
    QApplication app(argc, argv);
    if (argc < 3 || (QByteArray(argv[2]) == "--paced" && argc < 4)) {
        std::fprintf(stderr, "usage: %s <stand-in quenlar.exe> <presses>\n"
                             "       %s <tool> --paced <program> [<argument>...]\n", argv[0], argv[0]);
        return 2;
    }
    const QString tool = QString::fromLocal8Bit(argv[1]);
    const int presses = paced ? 0 : QByteArray(argv[2]).toInt();
    const QString source = dir.filePath(QStringLiteral("track.tga"));
    putFile(source, tgaImage()); // one the tool takes: no question before the start
    QFile(logPath).open(QIODevice::WriteOnly);

    FormStyle::applyDesignFont();
    frmQuenlar form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto *location = form.findChild<QLineEdit *>(QStringLiteral("txtProgLocation"));
    if (location->text().isEmpty() || paced)
        location->setText(tool);
    form.findChild<QLineEdit *>(QStringLiteral("txtTGA"))->setText(source);
    form.findChild<QLineEdit *>(QStringLiteral("txtBaseFileName"))->setText(QStringLiteral("trk"));
    QTest::qWait(50); // the monitor enables the source button and shows the preview
    const QString status = form.findChild<QStatusBar *>(QStringLiteral("statusBar"))->currentMessage();
    if (!status.startsWith(QLatin1String("Okay: Quenlar"))) {
        std::fprintf(stderr, "the tool at %s is not found: the status reads \"%s\"\n",
                     qPrintable(location->text()), qPrintable(status));
        return 1;
    }
    auto *slice = form.findChild<QPushButton *>(QStringLiteral("cmdSlice"));
    const QByteArray program = QFile::encodeName(tool);
    QList<QByteArray> words{program, QFile::encodeName(source), "trk", "000"};
    std::vector<char *> spawnArgs;
    for (QByteArray &word : words)
        spawnArgs.push_back(word.data());
    spawnArgs.push_back(nullptr);

    if (paced) {
        // "@source" stands for the source file Dravolt is given,
        // "@windows-source" for the name a Windows tool gets for it.
        const QByteArray windowsSource = Platform::windowsPath(
            source, Platform::winePrefix(QProcessEnvironment::systemEnvironment())).toUtf8();
        QList<QByteArray> words;
        for (int i = 3; i < argc; ++i) {
            const QByteArray word(argv[i]);
            words << (word == "@source" ? QFile::encodeName(source) : word == "@windows-source" ? windowsSource : word);
        }
        std::vector<char *> direct;
        for (QByteArray &word : words)
            direct.push_back(word.data());
        direct.push_back(nullptr);
        // The answers keep standard output to themselves: what the tools
        // print goes to the null device.
        std::FILE *answers = fdopen(dup(STDOUT_FILENO), "w");
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
        // Started as Dravolt starts a tool: a session of its own, input from
        // the null device.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        char step[64];
        while (std::fgets(step, sizeof step, stdin)) {
            const bool press = QByteArray(step).trimmed() == "press";
            const qint64 t0 = monotonicNs();
            pid_t pid = 0;
            if (press)
                QTest::mouseClick(slice, Qt::LeftButton);
            else if (posix_spawn(&pid, direct[0], &actions, &attributes, direct.data(), environ) != 0)
                return 1;
            std::fprintf(answers, "%s %lld %lld\n", press ? "press" : "direct", static_cast<long long>(t0),
                         static_cast<long long>(monotonicNs()));
            std::fflush(answers);
            QCoreApplication::processEvents();
            while (waitpid(-1, nullptr, WNOHANG) > 0) {
            }
        }
        return 0;
    }

    QFile log(logPath);
    log.open(QIODevice::ReadOnly);
    QList<double> dravolt, baseline;
    for (int i = -3; i < presses; ++i) { // three of each to warm up
        qint64 t0 = monotonicNs();
        QTest::mouseClick(slice, Qt::LeftButton);
        const double pressMs = (nextStart(log) - t0) / 1e6;
        t0 = monotonicNs();
        pid_t pid = 0;
        if (posix_spawn(&pid, program.constData(), nullptr, nullptr, spawnArgs.data(), environ) != 0) {
            std::fprintf(stderr, "posix_spawn failed\n");
            return 1;
        }
        const double directMs = (nextStart(log) - t0) / 1e6;
        waitpid(pid, nullptr, 0);
        if (i >= 0) {
            dravolt << pressMs;
            baseline << directMs;
        }
        QCoreApplication::processEvents();
    }
    for (const auto &[name, values] : {std::pair{"dravolt", &dravolt}, std::pair{"baseline", &baseline}}) {
        std::printf("%s", name);
        for (double ms : *values)
            std::printf(" %.3f", ms);
        std::printf("\n");
    }
    return 0;
}
