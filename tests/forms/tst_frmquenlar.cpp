// The main window, offscreen, by object name: layout, start state, the
// system-folder box, the status monitor, the checks' reporting and the launch,
// also while the file system does not answer.
#include "formstyle.h"
#include "frmQuenlar.h"
#include "modalcatcher.h"
#include "settingsstore.h"
#include "stalledfs.h"
#include "standinlog.h"
#include "twips.h"
#include "testfiles.h"
#include "windowsprogram.h"

#ifndef Q_OS_WIN
#  include "wine_unix.h"
#endif

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

class TestFrmQuenlar : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString tool;     // the stand-in, as quenlar.exe
    QString source;   // an existing TGA file
    QString log;
    frmQuenlar *form = nullptr;

    template<typename T = QWidget>
    T *control(const char *name)
    {
        T *w = form->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString status() { return control<QStatusBar>("statusBar")->currentMessage(); }
    void tick() { tickAnswered(form); }
    void locateTool()
    {
        control<QLineEdit>("txtProgLocation")->setText(tool);
        tick();
    }
    // Good inputs on every check; a test then spoils one of them.
    void fillGoodInputs()
    {
        locateTool();
        control<QLineEdit>("txtTGA")->setText(source);
        control<QLineEdit>("txtBaseFileName")->setText(QStringLiteral("trk"));
        control<QLineEdit>("txtStartIndex")->setText(QStringLiteral("000"));
    }
    QString copyStandin(const QString &relative, const QString &standin = toolStandin())
    {
        return copyFile(standin, dir.filePath(relative));
    }

private slots:
    void initTestCase()
    {
        FormStyle::setUpApplication();
        QVERIFY(dir.isValid());
        tool = copyStandin(QStringLiteral("tool/quenlar.exe"));
        source = putFile(dir.filePath(QStringLiteral("track.tga")), tgaImage());
        log = dir.filePath(QStringLiteral("runs.log"));
        qputenv("QUENLAR_STANDIN_LOG", QFile::encodeName(log));
    }

    void init()
    {
        QFile::remove(log);
        form = new frmQuenlar;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(frmQuenlar::instance(), form);
    }

    void cleanup()
    {
        delete form;
        QVERIFY(!frmQuenlar::instance());
    }

    void windowFrame()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Dravolt"));
        QCOMPARE(form->size(), QSize(387, 344));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->windowType(), Qt::Window); // listed in the taskbar
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->windowIcon().pixmap(16).size(), QSize(16, 16));
        // Assistive technology announces it as a window.
        QCOMPARE(QAccessible::queryAccessibleInterface(form)->role(), QAccessible::Window);
        QCOMPARE(QAccessible::queryAccessibleInterface(control("frameFile"))->role(), QAccessible::Grouping);
    }

    void layoutTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        auto row = [](const char *name, const char *container, QRect r, const char *caption,
                      qreal points = 8.25, bool bold = false) {
            QTest::newRow(name) << name << container << r << QString::fromUtf8(caption) << points << bold;
        };
        row("Label1", "frameFile", twips(240, 360, 1215, 375), "Source &File", 9.75);
        row("txtTGA", "frameFile", twips(1680, 360, 3135, 285), "");
        row("Label2", "frameFile", twips(240, 720, 1335, 375), "baseFile&Name", 9.75);
        row("txtBaseFileName", "frameFile", twips(1680, 720, 1095, 285), "");
        row("Label3", "frameFile", twips(240, 1080, 1215, 375), "St&art Index", 9.75);
        row("txtStartIndex", "frameFile", twips(1680, 1080, 1095, 285), "000");
        row("cmdDetailTGA", "frameFile", twips(3600, 840, 1215, 495), "&Details");
        row("Checki", "frameSwitches", twips(240, 240, 2895, 375), "/i  wrap &internal edges");
        row("Checkx", "frameSwitches", twips(240, 600, 2895, 375), "/x  wrap &horizontal border edges");
        row("Checky", "frameSwitches", twips(240, 960, 3015, 375), "/y wrap &vertical border edges");
        row("cmdDetailsSwitches", "frameSwitches", twips(3600, 720, 1215, 495), "D&etails");
        row("cmdSlice", "frmQuenlar", twips(1800, 4200, 1215, 495), "&Slice it");
        row("cmdExit", "frmQuenlar", twips(3120, 4200, 1215, 495), "E&xit");
        row("cmdAboutHelp", "frmQuenlar", twips(4440, 4200, 1215, 495), "A&bout");
        row("txtProgLocation", "FrameProgramLocation", twips(240, 360, 4335, 285), "");
        row("chkPath", "FrameProgramLocation", twips(240, 720, 3135, 375), "&Use System folder (win9x only)");
        row("cmdDetailsProg", "FrameProgramLocation", twips(3600, 840, 1215, 495), "De&tails");
        row("tabQuenlar", "frmQuenlar", twips(120, 120, 5535, 3975), "");
        row("frameSwitches", "tabQuenlar", twips(240, 2280, 5055, 1455), "Switches");
        row("frameFile", "tabQuenlar", twips(240, 600, 5055, 1575), "File Info");
        row("FrameProgramLocation", "tabQuenlar", twips(240, 600, 5055, 2295), "Program Location");
        row("statusBar", "frmQuenlar", twips(0, 4785, 5805, 375), "", 9.75);
        row("cmdOpenSource", "frameFile", twips(4560, 360, 340, 285), "...", 9.75, true);
        row("cmdOpenQuenlar", "FrameProgramLocation", twips(4560, 360, 340, 285), "...", 9.75, true);
        row("cmdSaveToRegistry", "FrameProgramLocation", twips(3600, 1560, 1215, 495), "&Apply");
    }
    void layoutTable()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        // Show the page that holds the control, so its geometry is laid out.
        auto *tab = control<QTabWidget>("tabQuenlar");
        if (name == QLatin1String("FrameProgramLocation") || container == QLatin1String("FrameProgramLocation"))
            tab->setCurrentIndex(1);
        QWidget *w = control(name.toLatin1().constData());
        QWidget *box = container == QLatin1String("frmQuenlar") ? form : control(container.toLatin1().constData());
        QCOMPARE(QRect(w->mapTo(box, QPoint(0, 0)), w->size()), geometry);

        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            text = e->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        QCOMPARE(text, caption);
        QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(w->font().bold(), bold);
    }

    void startState()
    {
        auto *tab = control<QTabWidget>("tabQuenlar");
        QCOMPARE(tab->count(), 2);
        QCOMPARE(tab->tabText(0), QStringLiteral("Slice"));
        QCOMPARE(tab->tabText(1), QStringLiteral("Options"));
        QCOMPARE(tab->currentIndex(), 0);
        for (const char *box : {"Checki", "Checkx", "Checky", "chkPath"})
            QVERIFY(!control<QCheckBox>(box)->isChecked());
        for (const char *name : {"txtTGA", "txtProgLocation", "cmdOpenSource", "cmdSaveToRegistry"})
            QVERIFY2(!control(name)->isEnabled(), name);
        for (const char *name : {"txtBaseFileName", "txtStartIndex", "cmdDetailTGA", "cmdDetailsSwitches",
                                 "cmdSlice", "cmdExit", "cmdAboutHelp", "chkPath", "cmdDetailsProg",
                                 "cmdOpenQuenlar", "Checki", "Checkx", "Checky"})
            QVERIFY2(control(name)->isEnabled(), name);
        QCOMPARE(control<QLineEdit>("txtProgLocation")->text(), QString());
        QVERIFY(control<QLineEdit>("txtBaseFileName")->maxLength() >= 32767); // no length limit
        QCOMPARE(control<QLineEdit>("txtTGA")->palette().color(QPalette::Disabled, QPalette::Base),
                 QColor(255, 255, 255));
        auto *timer = form->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 10);
        // The first real tick shows the missing tool.
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Locate Quenlar.exe"), 2000);
    }

    void startsWithAnEmptyStatusBar()
    {
        delete form;
        form = new frmQuenlar;
        QCOMPARE(status(), QString());
        form->show();
    }

    // Real Tab presses: each page's controls come round in the table's order,
    // controls of the hidden page and disabled ones are passed over, and the
    // cycle closes (the tab row is the tab control's stop).
    void tabCyclesThroughEachPageInTableOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("cycle");
        QTest::newRow("Slice") << 0
            << QStringList{"txtStartIndex", "cmdDetailTGA", "Checki", "Checkx",
                           "Checky", "cmdDetailsSwitches", "cmdSlice", "cmdExit", "cmdAboutHelp",
                           "tabQuenlar", "cmdOpenSource", "txtBaseFileName"};
        QTest::newRow("Options") << 1
            << QStringList{"chkPath", "cmdDetailsProg", "tabQuenlar", "cmdOpenQuenlar",
                           "cmdSaveToRegistry", "cmdSlice", "cmdExit", "cmdAboutHelp",
                           "txtProgLocation", "chkPath"};
    }
    void tabCyclesThroughEachPageInTableOrder()
    {
        QFETCH(int, page);
        QFETCH(QStringList, cycle);
        auto *location = control<QLineEdit>("txtProgLocation");
        location->setEnabled(true); // as after unticking the system-folder box
        locateTool();               // enables the source browse button and Apply
        control<QTabWidget>("tabQuenlar")->setCurrentIndex(page);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        control(page == 0 ? "txtBaseFileName" : "txtProgLocation")->setFocus(Qt::TabFocusReason);
        QStringList seen;
        for (qsizetype i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            if (focus == control<QTabWidget>("tabQuenlar")->tabBar())
                focus = control("tabQuenlar");
            seen << focus->objectName();
        }
        QCOMPARE(seen, cycle);
    }

    void accessibleNames()
    {
        const QList<QPair<const char *, const char *>> names{
            {"txtTGA", "Source File"}, {"txtBaseFileName", "baseFileName"},
            {"txtStartIndex", "Start Index"}, {"txtProgLocation", "Program Location"},
            {"cmdOpenSource", "Browse to source TGA file"}, {"cmdOpenQuenlar", "Browse to Quenlar.exe"},
            {"cmdDetailTGA", "Details"}, {"cmdDetailsSwitches", "Details"}, {"cmdDetailsProg", "Details"},
            {"cmdSlice", "Slice it"}, {"cmdExit", "Exit"}, {"cmdAboutHelp", "About"},
            {"cmdSaveToRegistry", "Apply"}, {"Checki", "/i  wrap internal edges"},
            {"Checkx", "/x  wrap horizontal border edges"}, {"Checky", "/y wrap vertical border edges"},
            {"chkPath", "Use System folder (win9x only)"}};
        for (const auto &[name, expected] : names)
            QCOMPARE(accessibleName(control(name)), QString::fromUtf8(expected));
        tick();
        QCOMPARE(accessibleName(control("statusBar")), QStringLiteral("Locate Quenlar.exe"));
        locateTool();
        QCOMPARE(accessibleName(control("statusBar")), QStringLiteral("Okay: Quenlar   000 "));
    }

    void systemFolderBox()
    {
        auto *box = control<QLineEdit>("txtProgLocation");
        auto *chk = control<QCheckBox>("chkPath");
        int changes = 0;
        connect(box, &QLineEdit::textChanged, this, [&] { ++changes; });
        chk->click();
        QCOMPARE(box->text(), QStringLiteral("C:WINDOWS\\COMMAND\\Quenlar.exe"));
        QCOMPARE(box->palette().color(QPalette::Base), QColor(224, 224, 224));
        QVERIFY(!box->isEnabled());
        QCOMPARE(changes, 1);
        tick();
        QCOMPARE(status(), QStringLiteral("Locate Quenlar.exe")); // no tool at that path

        chk->click();
        QCOMPARE(box->text(), QString());
        QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 255, 255));
        QVERIFY(box->isEnabled());
        QCOMPARE(changes, 2);

        // Unticking clears a browsed path too.
        box->setText(tool);
        chk->click();
        chk->click();
        QCOMPARE(box->text(), QString());
    }

    void statusMonitorFollowsTheInputs()
    {
        tick();
        QCOMPARE(status(), QStringLiteral("Locate Quenlar.exe"));
        QVERIFY(!control("cmdOpenSource")->isEnabled());
        locateTool();
        QCOMPARE(status(), QStringLiteral("Okay: Quenlar   000 "));
        QVERIFY(control("cmdOpenSource")->isEnabled());

        // The real timer carries each change to the status line.
        control<QCheckBox>("Checkx")->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Okay: Quenlar   000 /x"), 1000);
        control<QCheckBox>("Checky")->click();
        control<QCheckBox>("Checki")->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Okay: Quenlar   000 /ixy"), 1000);
        control<QLineEdit>("txtBaseFileName")->setText(QStringLiteral("trk"));
        control<QLineEdit>("txtStartIndex")->setText(QStringLiteral("120"));
        for (const char *name : {"Checki", "Checkx", "Checky"})
            control<QCheckBox>(name)->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Okay: Quenlar  trk 120 "), 1000);
    }

    void deletingTheToolShowsAtTheNextTick()
    {
        const QString doomed = copyStandin(QStringLiteral("doomed/quenlar.exe"));
        control<QLineEdit>("txtProgLocation")->setText(doomed);
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QLatin1String("Okay: Quenlar")), 1000);
        QVERIFY(control("cmdOpenSource")->isEnabled());
        QVERIFY(QFile::remove(doomed));
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Locate Quenlar.exe"), 1000);
        QVERIFY(!control("cmdOpenSource")->isEnabled());
        QVERIFY(!control("cmdSaveToRegistry")->isEnabled());
    }

    // A file system that stops answering, for the tool's look-up, the
    // source's or the read of either file: the window keeps answering,
    // the status says "Locate Quenlar.exe" after a second while the tool's
    // look-up hangs and is back at once when it answers, and "Slice it"
    // reports within 2.5 s, its look-ups or the read counting as not found.
    void aStalledFileSystemNeverStopsTheWindow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("sourceStalls");
        QTest::addColumn<QString>("message");
        QTest::newRow("tool look-up") << int(LookupWorker::Kind::Lookup) << false << "Quenlar.exe Not Found";
        QTest::newRow("source look-up") << int(LookupWorker::Kind::Lookup) << true << "@source does not exist";
        QTest::newRow("tool file read") << int(LookupWorker::Kind::Inspect) << false
                                        << "Quenlar.exe could not be started.\n\n@tool\n\nThe file could not be read";
        QTest::newRow("source header read") << int(LookupWorker::Kind::Inspect) << true
                                            << "Quenlar.exe could not be started.\n\n@source\n\nThe file could not be read";
    }
    void aStalledFileSystemNeverStopsTheWindow()
    {
        QFETCH(int, kind);
        QFETCH(bool, sourceStalls);
        QFETCH(QString, message);
        message.replace(QLatin1String("@source"), source).replace(QLatin1String("@tool"), tool);
        const auto stalled = LookupWorker::Kind(kind);
        const bool toolLookupStalls = stalled == LookupWorker::Kind::Lookup && !sourceStalls;
        const QString okay = QStringLiteral("Okay: Quenlar %1 trk 000 ").arg(source);
        fillGoodInputs();
        tick();
        QCOMPARE(status(), okay);
        EventLoopWatch watch;

        if (toolLookupStalls) {
            auto stall = std::make_unique<StalledFileSystem>(stalled, tool);
            QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Locate Quenlar.exe"), 1500);
            QVERIFY(!control("cmdOpenSource")->isEnabled());
            QVERIFY(!control("cmdSaveToRegistry")->isEnabled());
            // The share answers: the next tick or the one after shows it.
            int ticks = 0;
            bool back = false;
            const QMetaObject::Connection counting =
                connect(form->findChild<QTimer *>(QStringLiteral("Timer1")), &QTimer::timeout, this, [&] {
                    if (stall->answered() && !back) {
                        ++ticks;
                        back = status() == okay;
                    }
                });
            stall->release();
            QTRY_VERIFY_WITH_TIMEOUT(back, 2000);
            disconnect(counting);
            QVERIFY2(ticks <= 2, qPrintable(QString::number(ticks)));
            QVERIFY(control("cmdOpenSource")->isEnabled());
        }

        const QString stalledFile = sourceStalls ? source : tool;
        StalledFileSystem stall(stalled, {stalledFile, QDir::toNativeSeparators(stalledFile)});
        ModalCatcher catcher;
        QElapsedTimer pressed;
        pressed.start();
        control<QPushButton>("cmdSlice")->click();
        const qint64 reported = pressed.elapsed();
        QCOMPARE(catcher.boxes.size(), 1);
        QVERIFY2(catcher.boxes.first().text.startsWith(message), qPrintable(catcher.boxes.first().text));
        QVERIFY2(reported < 2500, qPrintable(QString::number(reported)));
        // Only the tool's own look-up changes the status.
        if (!toolLookupStalls)
            QCOMPARE(status(), okay);
        QVERIFY2(watch.longestMs() < 100, qPrintable(QString::number(watch.longestMs())));
        QVERIFY(readToolLog(log).isEmpty());
    }

    // The saved location lies on a share that stops answering; the user
    // browses to a local copy. Nothing about the local copy waits for the
    // share: the next tick shows it, Apply saves it, Slice it starts it.
    void aStalledLocationHoldsBackNoOtherPath()
    {
        const QString shared = copyStandin(QStringLiteral("share/quenlar.exe"));
        fillGoodInputs();
        control<QLineEdit>("txtProgLocation")->setText(shared);
        tick();
        StalledFileSystem stall(LookupWorker::Kind::Lookup, QStringList{shared}, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Locate Quenlar.exe"), 1500);

        control<QLineEdit>("txtProgLocation")->setText(tool);
        QElapsedTimer typed;
        typed.start();
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Okay: Quenlar %1 trk 000 ").arg(source), 1000);
        QVERIFY2(typed.elapsed() < 100, qPrintable(QString::number(typed.elapsed())));
        QVERIFY(control("cmdOpenSource")->isEnabled());
        QVERIFY(control("cmdSaveToRegistry")->isEnabled());
        ModalCatcher catcher;
        control<QPushButton>("cmdSaveToRegistry")->click();
        QCOMPARE(SettingsStore::read("dravolt", "Quenlar", "Location"), tool);
        SettingsStore::write(QString(), "dravolt", "Quenlar", "Location"); // the next window starts empty
        control<QPushButton>("cmdSlice")->click();
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
        QVERIFY(catcher.boxes.isEmpty());
        QVERIFY(!stall.answered()); // all of it while the share still hangs
    }

    void checksAreReported_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("focus");
        QTest::newRow("1") << "txtProgLocation" << "" << "Quenlar.exe Not Found" << 1 << "cmdOpenQuenlar";
        QTest::newRow("2") << "txtTGA" << "" << "No Source File" << 0 << "cmdOpenSource";
        QTest::newRow("3") << "txtTGA" << ".tga" << "Invalid Source File Name" << 0 << "cmdOpenSource";
        QTest::newRow("4") << "txtTGA" << "track.targa" << "Source File Must Be *.TGA" << 0 << "cmdOpenSource";
        QTest::newRow("5") << "txtTGA" << "<b>gone</b>.tga" << "<b>gone</b>.tga does not exist" << 0 << "cmdOpenSource";
        QTest::newRow("6") << "txtBaseFileName" << "" << "No Base File Name" << 0 << "txtBaseFileName";
        QTest::newRow("7") << "txtBaseFileName" << "abcdef" << "Base File Name Cannot Exceed 5 Characters" << 0 << "txtBaseFileName";
        QTest::newRow("8") << "txtStartIndex" << "" << "No Start Index" << 0 << "txtStartIndex";
        QTest::newRow("9") << "txtStartIndex" << "-5" << "Start Index Must Be A Positive Value" << 0 << "txtStartIndex";
        QTest::newRow("10") << "txtStartIndex" << "12" << "Start Index Must Be 3 Digits" << 0 << "txtStartIndex";
        QTest::newRow("11") << "txtStartIndex" << "4a2" << "Start Index Must Be An Integer" << 0 << "txtStartIndex";
    }
    void checksAreReported()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(int, page);
        QFETCH(QString, focus);
        fillGoodInputs();
        control<QLineEdit>(field.toLatin1().constData())->setText(value);
        tick();
        // Start from the other page, so the switch to the right one shows.
        control<QTabWidget>("tabQuenlar")->setCurrentIndex(1 - page);
        form->activateWindow();

        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QCOMPARE(catcher.boxes.size(), 1);
        const SeenBox box = catcher.boxes.first();
        QCOMPARE(box.title, QStringLiteral("Dravolt"));
        QCOMPARE(box.text, message);
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.format, Qt::PlainText);
        QCOMPARE(control<QTabWidget>("tabQuenlar")->currentIndex(), page);
        QVERIFY(form->focusWidget());
        QCOMPARE(form->focusWidget()->objectName(), focus);
        QVERIFY(readToolLog(log).isEmpty());
        QCOMPARE(control<QLineEdit>(field.toLatin1().constData())->text(), value); // nothing corrected
    }

    void aGoodRunStartsTheToolOncePerPress()
    {
        fillGoodInputs();
        control<QCheckBox>("Checky")->click();
        control<QCheckBox>("Checki")->click();
        control<QTabWidget>("tabQuenlar")->setCurrentIndex(0);
        control("txtBaseFileName")->setFocus();
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        control<QPushButton>("cmdSlice")->click();
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 2, 5000);
        for (const ToolRun &run : readToolLog(log))
            QCOMPARE(run.arguments, QStringList({source, "trk", "000", "/iy"}));
        QVERIFY(catcher.boxes.isEmpty());
        QCOMPARE(control<QTabWidget>("tabQuenlar")->currentIndex(), 0);
    }

    // A source the tool does not take (RLE here) asks before the start: No
    // starts nothing and points at the source button, Yes starts the tool.
    void aSourceTheToolDoesNotTakeAsksFirst()
    {
        const QString rle = putFile(dir.filePath(QStringLiteral("rle/track.tga")), tgaImage(10));
        fillGoodInputs();
        control<QLineEdit>("txtTGA")->setText(rle);
        control<QTabWidget>("tabQuenlar")->setCurrentIndex(1);
        for (const QMessageBox::StandardButton press : {QMessageBox::No, QMessageBox::Yes}) {
            ModalCatcher catcher;
            catcher.press = press;
            control<QPushButton>("cmdSlice")->click();
            QCOMPARE(catcher.boxes.size(), 1);
            QCOMPARE(catcher.boxes.first().title, QStringLiteral("Dravolt"));
            QCOMPARE(catcher.boxes.first().icon, QMessageBox::Question);
            QCOMPARE(catcher.boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(catcher.boxes.first().defaultButton, QMessageBox::No);
            QCOMPARE(catcher.boxes.first().text,
                     QStringLiteral("track.tga is RLE-compressed: save it again without RLE compression\n\n"
                                    "Start Quenlar.exe anyway?"));
            if (press == QMessageBox::No) {
                QCOMPARE(control<QTabWidget>("tabQuenlar")->currentIndex(), 0);
                QCOMPARE(form->focusWidget(), control("cmdOpenSource"));
                QTest::qWait(100);
                QVERIFY(readToolLog(log).isEmpty());
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
        QCOMPARE(readToolLog(log).first().arguments.first(), rle);
    }

#ifndef Q_OS_WIN
    void aBlankInTheToolLocationRunsTheRightProgram()
    {
        const QString spaced = copyStandin(QStringLiteral("my tools/quenlar.exe"));
        const QString marker = dir.filePath(QStringLiteral("planted-ran"));
        QFile planted(dir.filePath(QStringLiteral("my")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n");
        planted.close();
        planted.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        fillGoodInputs();
        control<QLineEdit>("txtProgLocation")->setText(spaced);
        tick();
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 5000);
        QVERIFY(!QFile::exists(marker));
        QVERIFY(catcher.boxes.isEmpty());
    }

    // A Windows tool runs through Wine, once per press, with the blanks of
    // its folder, the source and the base name kept, the source in its Windows
    // form while the status line shows it as it stands.
    void aWindowsToolRunsThroughWineOncePerPress()
    {
        if (QStringLiteral(STANDIN_WINDOWS_TOOL).isEmpty() || !qEnvironmentVariableIsSet("WINEPREFIX")
            || Platform::wineProgram().isEmpty())
            QSKIP("no Wine, no WINEPREFIX of the test run's own, or no Windows stand-in");
        const QString windowsTool = copyStandin(QStringLiteral("win tools/QUENLAR.exe"), QStringLiteral(STANDIN_WINDOWS_TOOL));
        const QString spacedSource = putFile(dir.filePath(QStringLiteral("my pictures/tr ack.tga")), tgaImage());
        ScopedEnvironment env;
        env.unset("DISPLAY"); // no terminal window here; the terminal has tests of its own

        fillGoodInputs();
        control<QLineEdit>("txtProgLocation")->setText(windowsTool);
        control<QLineEdit>("txtTGA")->setText(spacedSource);
        control<QLineEdit>("txtBaseFileName")->setText(QStringLiteral("a b"));
        control<QCheckBox>("Checkx")->click();
        tick();
        QCOMPARE(status(), QStringLiteral("Okay: Quenlar %1 a b 000 /x").arg(spacedSource));
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        control<QPushButton>("cmdSlice")->click();
        QTRY_COMPARE_WITH_TIMEOUT(readWindowsStandinLog(log).size(), 2, 60000);
        for (const WindowsStandinRun &run : readWindowsStandinLog(log)) {
            QCOMPARE(run.arguments, QStringList({"Z:" + QString(spacedSource).replace('/', '\\'), "a b", "000", "/x"}));
            QCOMPARE(run.sourceSize, tgaImage().size());
        }
        QVERIFY(catcher.boxes.isEmpty());
    }

    // A tool that cannot start gets one warning naming it and the remedy;
    // nothing starts and Dravolt stays ready.
    void aToolThatCannotStartIsReported_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("withWine");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not executable") << QByteArray() << true << "not executable";
        QTest::newRow("MZ, not a program") << QByteArray("MZ but no program") << true << "not a valid one";
        QTest::newRow("no Wine") << windowsProgramHeaders(0x8664, 0x20b) << false
                                 << "Install Wine to run Windows programs (Debian: apt install wine)";
        const QString wine = Platform::wineProgram();
        if (!wine.isEmpty() && !Platform::wineRuns32Bit(wine))
            QTest::newRow("32-bit, 64-bit Wine") << windowsProgramHeaders(0x14c, 0x10b) << true
                                                 << "install the wine32 package";
    }

    void aToolThatCannotStartIsReported()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, withWine);
        QFETCH(QString, reason);
        const QString broken = putFile(dir.filePath(QStringLiteral("broken/quenlar.exe")), content); // not executable
        ScopedEnvironment env;
        if (!withWine) {
            env.set("PATH", QFile::encodeName(dir.filePath(QStringLiteral("broken"))));
            env.unset("WINE");
        }
        fillGoodInputs();
        control<QLineEdit>("txtProgLocation")->setText(broken);
        tick();
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Dravolt"));
        QCOMPARE(catcher.boxes.first().icon, QMessageBox::Warning);
        QVERIFY(catcher.boxes.first().text.contains(broken));
        QVERIFY2(catcher.boxes.first().text.contains(reason), qPrintable(catcher.boxes.first().text));
        // Dravolt stays ready: the inputs are as they were.
        QCOMPARE(control<QLineEdit>("txtBaseFileName")->text(), QStringLiteral("trk"));
        QVERIFY(control("cmdSlice")->isEnabled());
    }

    // A terminal that ends with an error, or takes the command and drops it,
    // never runs the tool: a warning follows within seconds, naming the tool,
    // the terminal and the remedy, and the tool does not start later.
    void aTerminalThatDoesNotRunTheToolIsReported_data()
    {
        QTest::addColumn<QByteArray>("terminalScript");
        QTest::addColumn<QString>("reason");
        QTest::newRow("ends with an error") << QByteArray("exit 3") << "ended with an error (exit status 3)";
        QTest::newRow("drops the command") << QByteArray("exit 0") << "had not started it after 5 seconds";
    }

    void aTerminalThatDoesNotRunTheToolIsReported()
    {
        QFETCH(QByteArray, terminalScript);
        QFETCH(QString, reason);
        const QString bin = dir.filePath(QStringLiteral("dropping-terminal"));
        QFile(putFile(bin + QStringLiteral("/x-terminal-emulator"), "#!/bin/sh\n" + terminalScript + '\n'))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        ScopedEnvironment env;
        env.set("PATH", QFile::encodeName(bin));
        env.set("DISPLAY", ":97");
        fillGoodInputs();
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QVERIFY(catcher.boxes.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 10000);
        const QString text = catcher.boxes.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("Quenlar.exe could not be started.\n\n") + tool) && text.contains(reason)
                     && text.contains(QStringLiteral("x-terminal-emulator"))
                     && text.contains(QStringLiteral("update-alternatives --config x-terminal-emulator")),
                 qPrintable(text));
        QVERIFY(readToolLog(log).isEmpty());
    }
#endif

#ifdef Q_OS_WIN
    // The system-folder box for real: the tool at C:\WINDOWS\COMMAND\Quenlar.exe
    // and the current folder at the root of drive C:, where the box's
    // drive-relative text points.
    void systemFolderBoxFindsTheToolOnDriveC()
    {
        const QString fixed = QStringLiteral("C:/WINDOWS/COMMAND/Quenlar.exe");
        const bool planted = !QFile::exists(fixed);
        if (planted && !(QDir().mkpath(QStringLiteral("C:/WINDOWS/COMMAND")) && QFile::copy(toolStandin(), fixed)))
            QSKIP("C:\\WINDOWS\\COMMAND is not writable here (run it in a Wine prefix of its own)");
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QStringLiteral("C:/")));
        fillGoodInputs();
        control<QCheckBox>("chkPath")->click();
        QCOMPARE(control<QLineEdit>("txtProgLocation")->text(), QStringLiteral("C:WINDOWS\\COMMAND\\Quenlar.exe"));
        tick();
        QCOMPARE(status(), QStringLiteral("Okay: Quenlar ") + source + QStringLiteral(" trk 000 "));
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QTRY_COMPARE_WITH_TIMEOUT(readToolLog(log).size(), 1, 10000);
        QDir::setCurrent(oldCwd);
        if (planted)
            QFile::remove(fixed);
        QVERIFY(catcher.boxes.isEmpty());
        QCOMPARE(readToolLog(log).first().arguments, QStringList({source, "trk", "000"}));
    }

    // A tool that vanished since the last tick, or a file that is no program:
    // the warning box, and nothing started.
    void aToolThatCannotStartIsReported_data()
    {
        QTest::addColumn<bool>("vanished");
        QTest::addColumn<QString>("message");
        QTest::newRow("vanished") << true << "Quenlar.exe Not Found";
        QTest::newRow("not a program") << false << "";
    }
    void aToolThatCannotStartIsReported()
    {
        QFETCH(bool, vanished);
        QFETCH(QString, message);
        const QString broken = copyStandin(QStringLiteral("broken/quenlar.exe"));
        fillGoodInputs();
        control<QLineEdit>("txtProgLocation")->setText(broken);
        tick();
        if (vanished) {
            QVERIFY(QFile::remove(broken));
        } else {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("MZ, but not a program");
        }
        ModalCatcher catcher;
        control<QPushButton>("cmdSlice")->click();
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Dravolt"));
        QCOMPARE(catcher.boxes.first().icon, QMessageBox::Warning);
        if (vanished)
            QCOMPARE(catcher.boxes.first().text, message);
        else
            QVERIFY2(catcher.boxes.first().text.contains(QDir::toNativeSeparators(broken))
                     || catcher.boxes.first().text.contains(broken), qPrintable(catcher.boxes.first().text));
        QTest::qWait(300);
        QVERIFY(readToolLog(log).isEmpty());
        QVERIFY(control("cmdSlice")->isEnabled());
    }
#endif

    void browsingFillsTheBoxesAndCancelKeepsThem()
    {
        ModalCatcher catcher;
        catcher.fileToChoose = tool;
        control<QPushButton>("cmdOpenQuenlar")->click();
        QCOMPARE(control<QLineEdit>("txtProgLocation")->text(), QDir::toNativeSeparators(tool));
        QCOMPARE(catcher.fileDialogs.last().title, QStringLiteral("Browse to Quenlar.exe"));
        QCOMPARE(catcher.fileDialogs.last().nameFilters, QStringList("*.exe"));
        QCOMPARE(catcher.fileDialogs.last().directory, QDir::currentPath());
        tick();
        QVERIFY(control("cmdOpenSource")->isEnabled());

        catcher.fileToChoose = source;
        control<QPushButton>("cmdOpenSource")->click();
        QCOMPARE(control<QLineEdit>("txtTGA")->text(), QDir::toNativeSeparators(source));
        QCOMPARE(catcher.fileDialogs.last().title, QStringLiteral("Browse to source TGA file"));
        QCOMPARE(catcher.fileDialogs.last().nameFilters, QStringList("*.tga"));

        catcher.fileToChoose.clear(); // cancel both
        control<QPushButton>("cmdOpenSource")->click();
        control<QPushButton>("cmdOpenQuenlar")->click();
        QCOMPARE(catcher.fileDialogs.size(), 4);
        QCOMPARE(control<QLineEdit>("txtTGA")->text(), QDir::toNativeSeparators(source));
        QCOMPARE(control<QLineEdit>("txtProgLocation")->text(), QDir::toNativeSeparators(tool));
    }

    void labelAccessKeysMoveTheFocus()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        // txtTGA cannot take the focus, so "Source &File" goes on to the next control.
        QTest::keyClick(form, Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), control("txtBaseFileName"));
        QTest::keyClick(form, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), control("txtStartIndex"));
        QTest::keyClick(form, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), control("txtBaseFileName"));
        // A check box's access key ticks it.
        QTest::keyClick(form, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(control<QCheckBox>("Checkx")->isChecked());
    }
};

QTEST_MAIN(TestFrmQuenlar)
#include "tst_frmquenlar.moc"
