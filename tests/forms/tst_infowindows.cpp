// The three information windows, opened from the main window: their layout
// and texts, one instance per window, closing and reopening, the keys, "More"
// and its help viewers, and how long the program lives with them.
#include "formstyle.h"
#include "frmAboutHelp.h"
#include "frmBrowser.h"
#include "frmFileInfo.h"
#include "frmProgramInfo.h"
#include "frmQuenlar.h"
#include "helppages.h"
#include "modalcatcher.h"
#include "offscreenraise.h"
#include "settle.h"
#include "twips.h"
#include "version.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>


namespace {

// Each window: the main-window button that opens it and its Close button.
struct WindowKind
{
    const char *className;
    const char *opener;
    const char *closeButton;
};
const WindowKind Kinds[] = {
    {"frmProgramInfo", "cmdDetailsProg", "cmdCloseLocationInfo"},
    {"frmFileInfo", "cmdDetailTGA", "cmdCloseFileInfo"},
    {"frmAboutHelp", "cmdAboutHelp", "Command1"},
};
const WindowKind &kind(const QString &className)
{
    for (const WindowKind &k : Kinds)
        if (className == QLatin1String(k.className))
            return k;
    qFatal("no window %s", qPrintable(className));
}

// The windows of a class that are on screen.
QList<QWidget *> shownWindows(const QString &className)
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && className == QLatin1String(w->metaObject()->className()))
            found << w;
    return found;
}

// What the title-bar close box does: a close request to the native window.
void pressCloseBox(QWidget *window)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(window->windowHandle(), &event);
}

void processDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Qt's offscreen platform on Windows reaches none of the system's fonts, so
// the sizes that follow from the design font cannot be measured there (the
// windows platform draws with them; see scripts/test-windows).
bool fontSizesMeasurable()
{
#ifdef Q_OS_WIN
    return QGuiApplication::platformName() != QLatin1String("offscreen");
#else
    return true;
#endif
}

QString projectPage()
{
    return QStringLiteral("http://") + QLatin1String(Version::WebHost) + QStringLiteral("/kvrg/quenlar/");
}

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir pages;
    QTemporaryDir config;
    QPointer<frmQuenlar> form;

    // The help viewers on screen.
    static QList<QPointer<QWidget>> viewers()
    {
        QList<QPointer<QWidget>> found;
        for (QWidget *w : shownWindows(QStringLiteral("frmBrowser")))
            found << w;
        return found;
    }

    QWidget *open(const QString &className)
    {
        form->findChild<QPushButton *>(QLatin1String(kind(className).opener))->click();
        const QList<QWidget *> shown = shownWindows(className);
        return shown.size() == 1 ? shown.first() : nullptr;
    }
    static QWidget *shared(const QString &className)
    {
        if (className == QLatin1String("frmProgramInfo"))
            return InfoWindow::shared<frmProgramInfo>();
        if (className == QLatin1String("frmFileInfo"))
            return InfoWindow::shared<frmFileInfo>();
        return InfoWindow::shared<frmAboutHelp>();
    }
    template<typename T = QWidget>
    static T *control(QWidget *window, const char *name)
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    // Runs the program's event loop until it quits, as main() does; false
    // when it did not quit within the time given.
    static bool runUntilQuit(int ms = 5000)
    {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(ms);
        return QApplication::exec() == 0;
    }

    void addWindowRows()
    {
        QTest::addColumn<QString>("window");
        for (const WindowKind &k : Kinds)
            QTest::newRow(k.className) << QString::fromLatin1(k.className);
    }

private slots:
    void initTestCase()
    {
        quietAboutRaising();
        FormStyle::applyDesignFont();
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); // no saved location
        // An installed copy of the two pages of this test's own.
        for (const char *page : {"dravolt.html", "dravoltunique.html"}) {
            QVERIFY(QDir().mkpath(pages.filePath(QStringLiteral("kvrg/quenlar"))));
            QFile f(pages.filePath(QStringLiteral("kvrg/quenlar/") + QLatin1String(page)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        HelpPages::setInstalledFolder(pages.path());
    }

    void init()
    {
        form = new frmQuenlar;
        form->setAttribute(Qt::WA_DeleteOnClose); // as the program's main() does
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        delete form.data();
        processDeletions();
        for (const WindowKind &k : Kinds)
            QVERIFY(!shared(QLatin1String(k.className)));
    }

    void windowFrame_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("client");
        QTest::newRow("Location Details") << "frmProgramInfo" << "Location Details" << QSize(370, 327);
        QTest::newRow("File Info Details") << "frmFileInfo" << "File Info Details" << QSize(370, 327);
        QTest::newRow("About") << "frmAboutHelp" << "About" << QSize(370, 349);
    }
    void windowFrame()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QSize, client);
        QWidget *w = open(window);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(w->size(), client);
        QCOMPARE(w->minimumSize(), client);
        QCOMPARE(w->maximumSize(), client);
        QCOMPARE(w->windowType(), Qt::Tool); // not in the taskbar
        QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w->windowIcon().pixmap(16).toImage(),
                 FormStyle::applicationIcon().pixmap(16).toImage());
        QVERIFY(!w->parentWidget());
        QVERIFY(!w->windowHandle()->transientParent()); // no owner
        QVERIFY(!w->isModal());
        QVERIFY(w->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->role(), QAccessible::Dialog);
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), title);
        // No fixed default button: only the focused one answers Enter, as usual.
        QVERIFY(QTest::qWaitForWindowActive(w));
        for (QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY2(!b->isDefault() || b->hasFocus(), qPrintable(b->objectName()));
        // Centred over the main window, which stays usable.
        QVERIFY((w->geometry().center() - form->geometry().center()).manhattanLength() <= 2);
        QVERIFY(form->isEnabled() && !QApplication::activeModalWidget());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("points");
        QString window;
        auto row = [&window](const char *name, const char *container, const char *kind, QRect r,
                             const QString &text, qreal points = 8.25) {
            QTest::addRow("%s %s", qPrintable(window), name)
                << window << name << container << kind << r << text << points;
        };
        auto s = [](const char *text) { return QString::fromUtf8(text); };

        window = "frmProgramInfo";
        row("frmLocation_0", "", "frame", twips(240, 120, 5055, 855), "");
        row("Label1", "frmLocation_0", "wraps", twips(120, 240, 4905, 405),
            s("Dravolt is a graphic interface only.  Therefore, you must tell Dravolt where it can find "
              "Quenlar.exe before it can work."));
        row("frmLocation_1", "", "frame", twips(240, 1080, 5055, 1695), "");
        row("Label2", "frmLocation_1", "wraps", twips(120, 240, 4905, 615),
            s("If you are using Win9x you can copy quenlar.exe to the windows\\system folder and then just "
              "check the box to let Dravolt automatically fill in the program location."));
        row("Label3", "frmLocation_1", "wraps", twips(120, 960, 4905, 615),
            s("If you are not using Win9x or you just don't want to use the system folder, you can browse "
              "to where ever you have quenlar.exe saved.  Either method will work just fine."));
        row("frmLocation_2", "", "frame", twips(240, 2880, 5055, 975), "");
        row("Label4", "frmLocation_2", "wraps", twips(120, 240, 4905, 615),
            s("Once quenlar.exe has been located properly, you will see \"Okay\" in the status bar.  You "
              "can also click 'apply' to have Dravolt remember the program location the next time you "
              "start it up."));
        row("cmdCloseLocationInfo", "", "button", twips(2160, 4080, 1215, 495), "&Close");

        window = "frmFileInfo";
        row("frmSourceFile", "", "frame", twips(240, 240, 5055, 1215), "Source File", 9.75);
        row("Label1", "frmSourceFile", "auto-size", twips(600, 360, 3330, 195),
            s("Format : 24 bit 'uncompressed' TGA graphic file"));
        row("Label2", "frmSourceFile", "auto-size", twips(600, 600, 3690, 195),
            s("Size : height and width must be multiples of 60 pixels"));
        row("Label3", "frmSourceFile", "auto-size", twips(600, 840, 2595, 195),
            s("Note: no spaces in file name allowed"));
        row("frmBaseFileName", "", "frame", twips(240, 1560, 5055, 1215), "baseFileName", 9.75);
        row("Label4", "frmBaseFileName", "auto-size", twips(600, 360, 3945, 195),
            s("Characters : digits and standard alphabet recommended"));
        row("Label5", "frmBaseFileName", "auto-size", twips(600, 600, 2205, 195),
            s("Length : 5 characters maximum"));
        row("Label6", "frmBaseFileName", "auto-size", twips(600, 840, 2595, 195),
            s("Note: no spaces in file name allowed"));
        row("cmdUniqueFileNames", "frmBaseFileName", "button", twips(3680, 640, 1215, 440), "&More");
        row("frmStartIndex", "", "frame", twips(240, 2880, 5055, 1215), "Start Index", 9.75);
        row("Label7", "frmStartIndex", "auto-size", twips(600, 360, 1380, 195), s("Range : 000 to 999"));
        row("Label8", "frmStartIndex", "auto-size", twips(600, 600, 2685, 195),
            s("Note : must always be 3 numbers long"));
        row("Label9", "frmStartIndex", "auto-size", twips(600, 840, 2310, 195),
            s("Note : must always be an integer"));
        row("cmdCloseFileInfo", "", "button", twips(2160, 4200, 1215, 495), "&Close");

        window = "frmAboutHelp";
        row("frmAboutTop", "", "frame", twips(120, 0, 5295, 2895), "");
        row("Label1", "frmAboutTop", "wraps", twips(120, 240, 4935, 615), "*");
        row("Label2", "frmAboutTop", "wraps", twips(120, 960, 4935, 1215),
            s("Quenlar.exe takes a single 24-bit, uncompressed TGA image whose proportions are divisible by "
              "60 pixels in both height and width (*) and processes it to create the final 64x64 RAW "
              "textures along with their corresponding ACT color palettes. Note: The color depth of the "
              "image is reduced to 256 colors automatically during this process."));
        row("Label3", "frmAboutTop", "wraps", twips(120, 2280, 4935, 495),
            s("Quenlar.exe is a DOS command line program that works on Windows only."));
        row("frmAboutBot", "", "frame", twips(120, 2880, 5295, 1575), "");
        row("Label4", "frmAboutBot", "wraps", twips(120, 240, 4935, 675),
            s("Dravolt is a graphic interface for Quenlar.exe.  It is designed to help make using "
              "Quenlar.exe easier for people who have a hard time using DOS.  *"));
        row("Label5", "frmAboutBot", "centred", twips(120, 960, 4935, 255),
            s("See here for more details about Quenlar.exe"));
        row("Label6", "frmAboutBot", "centred", twips(120, 1200, 4935, 255), projectPage());
        row("Command1", "", "button", twips(2160, 4560, 1215, 495), "&Close");
    }
    void controls()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, kind);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(qreal, points);
        QWidget *w = open(window);
        QVERIFY(w);
        QWidget *c = control(w, name.toLatin1().constData());
        QCOMPARE(c->parentWidget(), container.isEmpty() ? w : control(w, container.toLatin1().constData()));
        QCOMPARE(c->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(c->font().pointSizeF(), points);
        QVERIFY(!c->font().bold());
        QCOMPARE(c->pos(), geometry.topLeft());

        if (kind == QLatin1String("frame")) {
            QCOMPARE(static_cast<QGroupBox *>(c)->title(), text);
            QCOMPARE(c->size(), geometry.size());
            QCOMPARE(c->focusPolicy(), Qt::NoFocus);
            return;
        }
        if (kind == QLatin1String("button")) {
            QCOMPARE(static_cast<QPushButton *>(c)->text(), text);
            QCOMPARE(c->size(), geometry.size());
            return;
        }
        auto *label = static_cast<QLabel *>(c);
        // The texts left open ("*") are checked for their fixed parts.
        if (text.contains(QLatin1Char('*'))) {
            const QStringList parts = text.split(QLatin1Char('*'));
            QVERIFY2(label->text().startsWith(parts.first()) && label->text().endsWith(parts.last()),
                     qPrintable(label->text()));
            QVERIFY(label->text().size() > text.size() + 10);
        } else {
            QCOMPARE(label->text(), text);
        }
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QVERIFY(!label->openExternalLinks());
        if (!fontSizesMeasurable())
            QSKIP("no system fonts on this platform: sizes from the design font not measured");
        if (kind == QLatin1String("auto-size")) {
            // Takes the size of its one line of text, 13 pixels high.
            QCOMPARE(label->size(), label->sizeHint());
            QCOMPARE(label->height(), geometry.height());
            QVERIFY(!label->wordWrap());
            return;
        }
        QCOMPARE(label->size(), geometry.size());
        if (kind == QLatin1String("wraps")) {
            QVERIFY(label->wordWrap());
            QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "text clipped");
        } else {
            QVERIFY(!label->wordWrap());
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QVERIFY2(label->sizeHint().width() <= label->width(), "text clipped");
        }
    }

    // The auto-size labels fit their frame and stay clear of the More button.
    void fileInfoLabelsFit()
    {
        if (!fontSizesMeasurable())
            QSKIP("no system fonts on this platform: sizes from the design font not measured");
        QWidget *w = open(QStringLiteral("frmFileInfo"));
        QVERIFY(w);
        const QRect more = control(w, "cmdUniqueFileNames")->geometry();
        for (QLabel *label : w->findChildren<QLabel *>()) {
            const QRect r = label->geometry();
            QVERIFY2(label->parentWidget()->rect().contains(r), qPrintable(label->objectName()));
            if (label->parentWidget()->objectName() == QLatin1String("frmBaseFileName"))
                QVERIFY2(!r.intersects(more), qPrintable(label->objectName()));
        }
    }

    void secondPressShowsTheSameWindow_data() { addWindowRows(); }
    void secondPressShowsTheSameWindow()
    {
        QFETCH(QString, window);
        QWidget *first = open(window);
        QVERIFY(first);
        QCOMPARE(shared(window), first);
        QVERIFY(QTest::qWaitForWindowActive(first));
        // The main window comes in front; a second press brings the window up again.
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(open(window), first);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), first, 2000);
        QCOMPARE(shownWindows(window).size(), 1);
        // All three at once, each once.
        for (const WindowKind &k : Kinds)
            QVERIFY(open(QLatin1String(k.className)));
        for (const WindowKind &k : Kinds)
            QCOMPARE(shownWindows(QLatin1String(k.className)).size(), 1);
        QCOMPARE(shared(window), first);
    }

    void closingDiscardsTheWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("how");
        for (const WindowKind &k : Kinds)
            for (const char *how : {"Close button", "close box", "Alt+C"})
                QTest::addRow("%s %s", k.className, how) << QString::fromLatin1(k.className) << how;
    }
    void closingDiscardsTheWindow()
    {
        QFETCH(QString, window);
        QFETCH(QString, how);
        QPointer<QWidget> first = open(window);
        QVERIFY(first);
        QVERIFY(QTest::qWaitForWindowActive(first));
        if (how == QLatin1String("Close button"))
            control<QPushButton>(first, kind(window).closeButton)->click();
        else if (how == QLatin1String("close box"))
            pressCloseBox(first);
        else
            QTest::keyClick(first->windowHandle(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!shared(window), 1000); // an access key presses with a short delay
        QVERIFY(first.isNull() || !first->isVisible());
        processDeletions();
        QVERIFY(first.isNull());
        QVERIFY(form->isVisible());

        // Pressed again, the window is created anew.
        QWidget *again = open(window);
        QVERIFY(again);
        QCOMPARE(shared(window), again);
        QVERIFY(again->isVisible());
    }

    // A press right after closing, before the closed window is deleted, still
    // shows a window that stays.
    void reopeningBeforeTheDeletion()
    {
        QWidget *first = open(QStringLiteral("frmAboutHelp"));
        QVERIFY(first);
        first->close();
        QWidget *again = open(QStringLiteral("frmAboutHelp"));
        QVERIFY(again);
        processDeletions();
        QCOMPARE(shownWindows(QStringLiteral("frmAboutHelp")), QList<QWidget *>{again});
        QCOMPARE(shared(QStringLiteral("frmAboutHelp")), again);
    }

    void escapeClosesNothing_data() { addWindowRows(); }
    void escapeClosesNothing()
    {
        QFETCH(QString, window);
        QPointer<QWidget> w = open(window);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
        processDeletions();
        QVERIFY(w && w->isVisible());
        QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
        processDeletions();
        QVERIFY(w && w->isVisible());
        QCOMPARE(shared(window), w.data());
    }

    void focusAndTabOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Location Details") << "frmProgramInfo" << QStringList{"cmdCloseLocationInfo"};
        QTest::newRow("File Info Details") << "frmFileInfo"
                                           << QStringList{"cmdCloseFileInfo", "cmdUniqueFileNames"};
        QTest::newRow("About") << "frmAboutHelp" << QStringList{"Command1"};
    }
    void focusAndTabOrder()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        QWidget *w = open(window);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        // Opens with the focus on the first, Tab goes round the buttons only.
        for (int i = 0; i <= order.size(); ++i) {
            QVERIFY(QApplication::focusWidget());
            QCOMPARE(QApplication::focusWidget()->objectName(), order[i % order.size()]);
            QTest::keyClick(w->windowHandle(), Qt::Key_Tab);
        }
    }

    // "More" opens a new viewer on the unique-names page at every press, by
    // click and by Alt+M, and the switches' "Details" one on the guide; the
    // viewers stay when File Info Details closes.
    void helpButtonsOpenANewViewerEveryTime()
    {
        QWidget *w = open(QStringLiteral("frmFileInfo"));
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        ModalCatcher catcher;
        control<QPushButton>(w, "cmdUniqueFileNames")->click();
        control<QPushButton>(w, "cmdUniqueFileNames")->click();
        // A new viewer comes to the front, as a window the user asked for does.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->windowHandle(), Qt::Key_M, Qt::AltModifier);
        control<QPushButton>(form, "cmdDetailsSwitches")->click();
        QTRY_COMPARE(viewers().size(), 4);
        QStringList addresses;
        for (const QPointer<QWidget> &v : viewers())
            addresses << v->property("StartingAddress").toString();
        addresses.sort();
        QCOMPARE(addresses, QStringList({projectPage() + "dravolt.html", projectPage() + "dravoltunique.html",
                                         projectPage() + "dravoltunique.html", projectPage() + "dravoltunique.html"}));
        for (const QPointer<QWidget> &v : viewers())
            QVERIFY(!v->parentWidget());
        QVERIFY(catcher.boxes.isEmpty());
        QVERIFY(w->isVisible());

        control<QPushButton>(w, "cmdCloseFileInfo")->click();
        processDeletions();
        QVERIFY(!shared(QStringLiteral("frmFileInfo")));
        QCOMPARE(viewers().size(), 4);
    }

    // Labels, frames and the address line react to nothing.
    void clickingTheTextsDoesNothing()
    {
        QWidget *w = open(QStringLiteral("frmAboutHelp"));
        QVERIFY(w);
        ModalCatcher catcher;
        const QList<QWidget *> before = QApplication::topLevelWidgets();
        QList<QWidget *> texts;
        for (QLabel *l : w->findChildren<QLabel *>())
            texts << l;
        for (QGroupBox *g : w->findChildren<QGroupBox *>())
            texts << g;
        texts << w;
        for (QWidget *t : texts) {
            QTest::mouseClick(t, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseDClick(t, Qt::LeftButton, {}, QPoint(5, 5));
        }
        QVERIFY(runPostedEvents());
        QCOMPARE(QApplication::topLevelWidgets(), before);
        QVERIFY(catcher.boxes.isEmpty());
        QCOMPARE(control<QLabel>(w, "Label6")->text(), projectPage());
        QVERIFY(w->isVisible());
    }

    // A main window near the screen's edge still has the windows fully on screen.
    void placedOnTheScreen()
    {
        const QRect area = form->screen()->availableGeometry();
        form->move(area.topLeft());
        QWidget *w = open(QStringLiteral("frmAboutHelp"));
        QVERIFY(w);
        QVERIFY(area.contains(w->geometry()));
    }

    // Exit with the information windows and viewers open ends the program:
    // every window closes, viewers too, the event loop returns.
    void exitEndsTheProgram()
    {
        QList<QPointer<QWidget>> windows;
        for (const WindowKind &k : Kinds)
            windows << open(QLatin1String(k.className));
        control<QPushButton>(windows[1], "cmdUniqueFileNames")->click();
        control<QPushButton>(windows[1], "cmdUniqueFileNames")->click();
        windows << viewers();
        QCOMPARE(windows.size(), 5);

        QTimer::singleShot(0, form, [this] { form->findChild<QPushButton *>(QStringLiteral("cmdExit"))->click(); });
        QVERIFY2(runUntilQuit(), "the program did not end");
        processDeletions();
        QVERIFY(form.isNull());
        for (const QPointer<QWidget> &w : windows)
            QVERIFY(w.isNull());
    }

    // The main window's close box closes only the main window (its timer goes
    // with it); the information windows and a viewer live on, and the program
    // ends when the last of them closes.
    void closeBoxLeavesTheProgramRunning()
    {
        QList<QPointer<QWidget>> windows;
        for (const WindowKind &k : Kinds)
            windows << open(QLatin1String(k.className));
        control<QPushButton>(windows[1], "cmdUniqueFileNames")->click();
        windows << viewers(); // the viewer, opened from a window that closes before it
        QCOMPARE(windows.size(), 4);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

        // Each step runs when the windows of the step before are gone, and
        // only while the program is still running.
        QStringList seen;
        const auto afterDeletion = [](QObject *window, const std::function<void()> &step) {
            QObject::connect(window, &QObject::destroyed, qApp,
                             [step] { QMetaObject::invokeMethod(qApp, step, Qt::QueuedConnection); });
        };
        afterDeletion(form, [&] {
            seen << QStringLiteral("main closed: %1").arg(form.isNull() && !frmQuenlar::instance());
            for (const QPointer<QWidget> &w : windows)
                seen << QStringLiteral("%1 open: %2").arg(w->objectName()).arg(w->isVisible());
            int closing = 2;
            const auto lastStep = [&, closing]() mutable {
                if (--closing > 0)
                    return;
                afterDeletion(windows[1], [&] {
                    seen << QStringLiteral("last window closed: %1").arg(lastClosed.count());
                    pressCloseBox(windows[3]);
                });
                pressCloseBox(windows[1]);
            };
            auto shared = std::make_shared<std::function<void()>>(lastStep);
            afterDeletion(windows[0], [shared] { (*shared)(); });
            afterDeletion(windows[2], [shared] { (*shared)(); });
            pressCloseBox(windows[0]);
            control<QPushButton>(windows[2], "Command1")->click();
        });
        QTimer::singleShot(0, form, [&] { pressCloseBox(form); });
        QVERIFY2(runUntilQuit(), "the program did not end with its last window");
        QCOMPARE(seen, QStringList({"main closed: 1", "frmProgramInfo open: 1", "frmFileInfo open: 1",
                                    "frmAboutHelp open: 1", "frmBrowser open: 1", "last window closed: 0"}));
        QCOMPARE(lastClosed.count(), 1);
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
