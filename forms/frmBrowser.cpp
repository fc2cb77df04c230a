#include "frmBrowser.h"

#include "formstyle.h"

#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QShowEvent>
#include <QTimer>

namespace {

// Layout units: 15 twips to the pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWebEngineView(parent)
{
    // The view's own signals, so that no engine page exists before the first
    // navigation.
    connect(this, &QWebEngineView::loadStarted, this, [this] { busy = true; });
    connect(this, &QWebEngineView::loadFinished, this, [this] {
        busy = false;
        emit DownloadComplete();
    });
    connect(this, &QWebEngineView::urlChanged, this, &WebBrowser::NavigateComplete2);
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    // An address that is no address fails here and leaves the browser idle.
    if (!url.isValid())
        return;
    // Busy from now on: the engine reports the start of the load only later.
    busy = true;
    load(url);
}

QString WebBrowser::LocationName() const
{
    return title();
}

frmBrowser::frmBrowser(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBrowser"));
    FormStyle::makeFixedWindow(this, 461, 343, FormStyle::Taskbar::NotListed);
    // Closing the viewer discards it with its browser and timer.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());

    brwWebBrowser = new WebBrowser(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->setGeometry(px(45), px(120), px(6240), px(4935));
    brwWebBrowser->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(brwWebBrowser);
    const QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    if (shared && shared->isValid()) {
        // The engine draws with OpenGL here, so the window must be made for
        // that from the start: made for plain drawing, it would be destroyed
        // and made again (it flickers) when the engine's surface arrives. A
        // hidden OpenGL child tells the window so.
        (new QOpenGLWidget(this))->hide();
        // Showing the browser starts the engine, which takes a while: the load
        // step shows it, once the window itself is on its way to the screen.
        // (Without OpenGL the browser must be there when the window is made.)
        brwWebBrowser->hide();
    }

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);

    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimerTimer);
    connect(brwWebBrowser, &WebBrowser::DownloadComplete, this,
            &frmBrowser::brwWebBrowserDownloadComplete);
    connect(brwWebBrowser, &WebBrowser::NavigateComplete2, this,
            &frmBrowser::brwWebBrowserNavigateComplete2);

    FormStyle::centreOnScreen(this);
}

void frmBrowser::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (loaded || event->spontaneous())
        return;
    loaded = true;
    // Load runs once the window is on its way to the screen, so that the
    // window appears before any page is requested.
    QMetaObject::invokeMethod(this, &frmBrowser::formLoad, Qt::QueuedConnection);
}

void frmBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    formResize();
}

void frmBrowser::formLoad()
{
    show();
    brwWebBrowser->show();
    formResize();
    if (StartingAddress.isEmpty())
        return;
    timTimer->start();
    brwWebBrowser->Navigate(StartingAddress);
}

// The browser spans the client width less 100 twips; left, top and height stay.
void frmBrowser::formResize()
{
    brwWebBrowser->resize(qRound((width() * 15 - 100) / 15.0), brwWebBrowser->height());
}

// Polls the first load: "Working..." while busy; the first idle tick stops the
// timer for good.
void frmBrowser::timTimerTimer()
{
    if (!brwWebBrowser->Busy()) {
        timTimer->stop();
        setWindowTitle(brwWebBrowser->LocationName());
    } else {
        setWindowTitle(QStringLiteral("Working..."));
    }
}

void frmBrowser::brwWebBrowserDownloadComplete()
{
    setWindowTitle(brwWebBrowser->LocationName());
}

void frmBrowser::brwWebBrowserNavigateComplete2()
{
    setWindowTitle(brwWebBrowser->LocationName());
}
