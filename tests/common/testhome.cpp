// Linked into every Qt test (tests/CMakeLists.txt): the test never sees the
// settings, caches or display of the user who runs it. Before main: a HOME of
// its own in a temporary folder, the XDG folders under it, and Qt's test mode
// for QStandardPaths (~/.qttest/...), so a saved tool location in the user's
// ~/.config/dravolt.conf changes nothing; the offscreen platform without the
// user's display. Programs a test starts inherit all of it.
#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

struct TestHome
{
    QTemporaryDir home{QDir::tempPath() + QStringLiteral("/dravolt-test-home-XXXXXX")};

    TestHome()
    {
        if (home.isValid())
            qputenv("HOME", QFile::encodeName(home.path()));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            qunsetenv(name);
        // Windows of the tests go offscreen unless a platform is asked for,
        // and then nothing reaches the user's display either.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
            qunsetenv("DISPLAY");
            qunsetenv("WAYLAND_DISPLAY");
        }
        QStandardPaths::setTestModeEnabled(true);
    }
};

const TestHome testHome;

} // namespace
