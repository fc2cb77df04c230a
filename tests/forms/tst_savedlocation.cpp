// The saved tool location: verbatim round trips through the store and through
// restarts of the window, the Apply button's state, and a store that cannot be
// written or read.
#include "formstyle.h"
#include "frmQuenlar.h"
#include "modRegEdit.h"
#include "modalcatcher.h"
#include "settingsstore.h"
#include "stalledfs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifndef Q_OS_WIN
#  include <unistd.h>
#else
#  include <QProcess>
#  include <QSettings>
#endif

class TestSavedLocation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> config; // this test's own settings folder
    QTemporaryDir tools;
    QString tool; // an existing quenlar.exe
    std::unique_ptr<frmQuenlar> form;

    QString configFile() const { return config->filePath(QStringLiteral("dravolt.conf")); }
    void startWindow()
    {
        form = std::make_unique<frmQuenlar>();
        form->show();
    }
    QLineEdit *box() { return form->findChild<QLineEdit *>(QStringLiteral("txtProgLocation")); }
    QPushButton *apply() { return form->findChild<QPushButton *>(QStringLiteral("cmdSaveToRegistry")); }
    void store(const QString &value)
    {
        QVERIFY(modRegEdit::SaveSettingValue(value, "dravolt", "Quenlar", "Location").saved);
    }
    QString stored() { return SettingsStore::read("dravolt", "Quenlar", "Location"); }
#ifdef Q_OS_WIN
    static constexpr const char *Key = "HKEY_CURRENT_USER\\Software\\dravolt\\Quenlar";
    QString userValue; // the Location of whoever runs the tests, put back at the end
    bool userHadValue = false;
    // The system's own registry tool, as a user would run it.
    static QString regTool(const QStringList &arguments)
    {
        QProcess reg;
        reg.start(QStringLiteral("reg.exe"), arguments);
        if (!reg.waitForFinished(30000) || reg.exitCode() != 0)
            return QStringLiteral("reg.exe failed: ") + QString::fromLocal8Bit(reg.readAllStandardError());
        return QString::fromLocal8Bit(reg.readAllStandardOutput());
    }
    // The Location value as reg.exe exports it (a UTF-16 .reg file, so that
    // non-ASCII text survives), unescaped; "(none)" when it is not there.
    QString exportedValue()
    {
        const QString file = tools.filePath(QStringLiteral("export.reg"));
        QFile::remove(file);
        regTool({"export", QString::fromLatin1(Key), QDir::toNativeSeparators(file), "/y"});
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return QStringLiteral("(none)");
        const QByteArray raw = f.readAll();
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(raw.constData()), raw.size() / 2);
        const QString start = QStringLiteral("\"Location\"=\"");
        const qsizetype at = text.indexOf(start);
        if (at < 0)
            return QStringLiteral("(none)");
        QString value;
        for (qsizetype i = at + start.size(); i < text.size() && text[i] != QLatin1Char('"'); ++i) {
            if (text[i] == QLatin1Char('\\'))
                ++i;
            value += text[i];
        }
        return value;
    }
#endif

private slots:
    void initTestCase()
    {
        // This test follows the product's own lookup of $XDG_CONFIG_HOME,
        // pointed at a folder of its own in init(); HOME is the test's already.
        QStandardPaths::setTestModeEnabled(false);
        FormStyle::applyDesignFont();
        QVERIFY(tools.isValid());
        tool = tools.filePath(QStringLiteral("quenlar.exe"));
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

#ifdef Q_OS_WIN
    void cleanupTestCase()
    {
        QSettings key(QString::fromLatin1(Key), QSettings::NativeFormat);
        key.remove(QStringLiteral("Location"));
        if (userHadValue)
            key.setValue(QStringLiteral("Location"), userValue);
    }
#endif

    void init()
    {
#ifdef Q_OS_WIN
        // Each test starts without the entry.
        QSettings key(QString::fromLatin1(Key), QSettings::NativeFormat);
        static bool saved = false;
        if (!saved) {
            saved = true;
            userHadValue = key.contains(QStringLiteral("Location"));
            userValue = key.value(QStringLiteral("Location")).toString();
        }
        key.remove(QStringLiteral("Location"));
#endif
        // Never the real user's settings.
        config = std::make_unique<QTemporaryDir>();
        QVERIFY(config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config->path()));
    }

    void cleanup()
    {
        form.reset();
    }

    void theEntryLivesWhereTheReadmeSays()
    {
        store(QStringLiteral("/opt/quenlar/quenlar.exe"));
#ifndef Q_OS_WIN
        QCOMPARE(SettingsStore::storeLocation("dravolt"), configFile());
        QFile file(configFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("[Quenlar]\nLocation=/opt/quenlar/quenlar.exe"));
#else
        QCOMPARE(SettingsStore::storeLocation("dravolt"), QStringLiteral("HKEY_CURRENT_USER\\Software\\dravolt"));
        QVERIFY(regTool({"query", QString::fromLatin1(Key), "/v", "Location"})
                    .contains(QStringLiteral("REG_SZ    /opt/quenlar/quenlar.exe")));
#endif
    }

#ifdef Q_OS_WIN
    // Apply writes the box's text into the registry verbatim, as the system's
    // own tool reads it back.
    void applyWritesTheRegistryVerbatim_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks") << "  C:\\My Tools\\quenlar.exe  ";
        QTest::newRow("quotes") << "\"C:\\TOOLS\\Quenlar.exe\"";
        QTest::newRow("equals, semicolon") << "C:\\a=b;c\\quenlar.exe";
        QTest::newRow("non-ASCII") << QString::fromUtf8("C:\\\u00dcber\\\u4e2d\u6587\\\u03a9\\quenlar.exe");
    }
    void applyWritesTheRegistryVerbatim()
    {
        QFETCH(QString, value);
        startWindow();
        box()->setText(value);
        ModalCatcher catcher;
        apply()->click();
        QVERIFY(catcher.boxes.isEmpty());
        QCOMPARE(exportedValue(), value);
    }

    // A value put there with reg.exe is loaded at start; one of one character is not.
    void aSeededValueIsLoadedAtStart_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("path with blanks") << QString::fromUtf8("C:\\My Tools\\Qu\u00e9nlar\\quenlar.exe")
                                          << QString::fromUtf8("C:\\My Tools\\Qu\u00e9nlar\\quenlar.exe");
        QTest::newRow("one character") << "x" << "";
    }
    void aSeededValueIsLoadedAtStart()
    {
        QFETCH(QString, value);
        QFETCH(QString, loaded);
        const QString out = regTool({"add", QString::fromLatin1(Key), "/v", "Location", "/t", "REG_SZ", "/d", value, "/f"});
        QVERIFY2(!out.startsWith(QStringLiteral("reg.exe failed")), qPrintable(out));
        startWindow();
        QCOMPARE(box()->text(), loaded);
        QCOMPARE(apply()->isEnabled(), !loaded.isEmpty());
    }
#endif

    void valuesRoundTripVerbatim_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("leading blanks") << "  /opt/q/quenlar.exe";
        QTest::newRow("trailing blanks") << "/opt/q/quenlar.exe  ";
        QTest::newRow("inner blanks") << "/opt/my  tools/quenlar.exe";
        QTest::newRow("commas") << "/opt/a,b,c/quenlar.exe";
        QTest::newRow("one comma and blanks") << "a, b";
        QTest::newRow("quotes") << "\"C:\\TOOLS\\Quenlar.exe\"";
        QTest::newRow("equals, semicolon, hash") << "/x=y;z#w/quenlar.exe";
        QTest::newRow("backslashes") << "C:\\TOOLS\\Quenlar.exe";
        QTest::newRow("UNC") << "\\\\server\\share\\quenlar.exe";
        QTest::newRow("drive relative") << "C:WINDOWS\\COMMAND\\Quenlar.exe";
        QTest::newRow("non-ASCII") << QString::fromUtf8("/h\u00f6me/\u00fcser/\u4e2d\u6587/\u03a9/quenlar.exe");
        QTest::newRow("at sign first") << "@Variant(abc)";
        QTest::newRow("section-like") << "[Quenlar]";
        QTest::newRow("percent") << "%20%U0041";
        QTest::newRow("long") << QStringLiteral("/") + QString(4000, QLatin1Char('d')) + QStringLiteral("/quenlar.exe");
        QTest::newRow("two characters") << "ab";
    }
    void valuesRoundTripVerbatim()
    {
        QFETCH(QString, value);
        store(value);
        QLineEdit plain;
        modRegEdit::LoadSettingInto(plain, "dravolt", "Quenlar", "Location");
        QCOMPARE(plain.text(), value);

        // And through a restart of the window.
        startWindow();
        QCOMPARE(box()->text(), value);
    }

    void shortOrMissingValuesLeaveTheBoxAlone_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("write");
        QTest::newRow("missing") << "" << false;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("one character") << "x" << true;
        QTest::newRow("one non-BMP character") << QString::fromUtf8("\U0001F600") << true;
    }
    void shortOrMissingValuesLeaveTheBoxAlone()
    {
        QFETCH(QString, value);
        QFETCH(bool, write);
        if (write)
            store(value);
        QLineEdit plain;
        plain.setText(QStringLiteral("kept"));
        modRegEdit::LoadSettingInto(plain, "dravolt", "Quenlar", "Location");
        QCOMPARE(plain.text(), QStringLiteral("kept"));

        startWindow();
        QCOMPARE(box()->text(), QString());
        QVERIFY(!apply()->isEnabled());
        tickAnswered(form.get());
        QVERIFY(!apply()->isEnabled());
    }

    void applyAtStart_data()
    {
        QTest::addColumn<bool>("namesTheTool");
        QTest::newRow("valid location") << true;
        QTest::newRow("invalid location") << false;
    }
    void applyAtStart()
    {
        QFETCH(bool, namesTheTool);
        store(namesTheTool ? tool : tools.filePath(QStringLiteral("other.exe")));
        startWindow();
        // Loading the value is a change of the box: Apply is enabled right after start.
        QVERIFY(apply()->isEnabled());
        tickAnswered(form.get());
        QCOMPARE(apply()->isEnabled(), namesTheTool);
        tickAnswered(form.get());
        QCOMPARE(apply()->isEnabled(), namesTheTool);
    }

    void applySavesAndDisables()
    {
        startWindow();
        box()->setText(tool);
        QVERIFY(apply()->isEnabled());
        tickAnswered(form.get());
        QVERIFY(apply()->isEnabled()); // a valid location: the monitor leaves it alone
        apply()->click();
        QVERIFY(!apply()->isEnabled());
        QCOMPARE(stored(), tool);
        tickAnswered(form.get());
        QVERIFY(!apply()->isEnabled()); // and never enables it again

        // Breaking the location enables Apply only until the next tick.
        box()->setText(tool + QStringLiteral("x"));
        QVERIFY(apply()->isEnabled());
        tickAnswered(form.get());
        QVERIFY(!apply()->isEnabled());
        // Editing it back to the stored, valid location leaves it enabled.
        box()->setText(tool);
        tickAnswered(form.get());
        QVERIFY(apply()->isEnabled());

        // The saved location is there after a restart.
        startWindow();
        QCOMPARE(box()->text(), tool);
    }

    void systemFolderBoxEnablesApplyUntilTheTick()
    {
        startWindow();
        form->findChild<QAbstractButton *>(QStringLiteral("chkPath"))->click();
        QVERIFY(apply()->isEnabled());
        tickAnswered(form.get()); // no tool at the fixed path
        QVERIFY(!apply()->isEnabled());
    }

#ifndef Q_OS_WIN
    // The settings file (the registry has no such obstacles to set up).
    void anUnwritableStoreIsReported_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("folder in the file's place") << "folder";
        QTest::newRow("configuration folder is a file") << "file";
    }
    void anUnwritableStoreIsReported()
    {
        QFETCH(QString, obstacle);
        if (obstacle == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(configFile()));
        } else {
            QFile blocker(config->filePath(QStringLiteral("notafolder")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker.fileName()));
        }
        startWindow();
        box()->setText(tool);
        tickAnswered(form.get());
        ModalCatcher catcher;
        apply()->click();
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Dravolt"));
        QCOMPARE(catcher.boxes.first().icon, QMessageBox::Warning);
        QVERIFY2(catcher.boxes.first().text.startsWith(
                     QStringLiteral("The program location could not be saved.\n\n")),
                 qPrintable(catcher.boxes.first().text));
        QVERIFY(catcher.boxes.first().text.size() > 45); // and why
        QVERIFY(apply()->isEnabled());
        QCOMPARE(box()->text(), tool);
    }

    void aDamagedStoreNeverStopsTheStart()
    {
        QFile file(configFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        static const char damaged[] = "\x00\xff\xfe[[[\x01\x02 =\n[Quenlar\nLocation=/opt/quenlar.exe\n\x7f";
        const QByteArray garbage(damaged, sizeof(damaged) - 1);
        file.write(garbage);
        file.close();
        startWindow();
        QCOMPARE(box()->text(), QString());
        QVERIFY(!apply()->isEnabled());
        tickAnswered(form.get());
        form.reset();
        // Nothing was written over it.
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
        file.close();

        // Apply replaces it with a good entry.
        startWindow();
        box()->setText(tool);
        apply()->click();
        QVERIFY(!apply()->isEnabled());
        QCOMPARE(stored(), tool);
    }

    void aStoreThatIsAFolderNeverStopsTheStart()
    {
        QVERIFY(QDir().mkpath(configFile()));
        startWindow();
        QCOMPARE(box()->text(), QString());
        QVERIFY(!apply()->isEnabled());
    }

    void anUnreadableStoreNeverStopsTheStart()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        store(tool);
        QVERIFY(QFile::setPermissions(configFile(), QFileDevice::WriteOwner));
        startWindow();
        QCOMPARE(box()->text(), QString());
    }
#endif
};

QTEST_MAIN(TestSavedLocation)
#include "tst_savedlocation.moc"
