#include "frmBrowser.h"

#include "formstyle.h"
#include "helpscheme.h"

#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QShowEvent>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

// Layout units: 15 twips to the pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWebEngineView(parent)
{
    connect(this, &QWebEngineView::urlChanged, this, &WebBrowser::NavigateComplete2);
    webTimer.setSingleShot(true);
    webTimer.setInterval(HelpScheme::WebTimeoutMs);
    connect(&webTimer, &QTimer::timeout, this, [this] { showInstalledCopy(webAddress); });
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    // An address that is no address fails here and leaves the browser idle.
    if (!url.isValid())
        return;
    // The engine page is made by the first navigation, not before.
    if (!watching) {
        watching = true;
        HelpScheme::installOn(page()->profile());
        connect(page(), &QWebEnginePage::loadingChanged, this, &WebBrowser::loadingChanged);
    }
    // Busy from now on: the engine reports the start of the load only later.
    busy = true;
    load(url);
}

void WebBrowser::loadingChanged(const QWebEngineLoadingInfo &info)
{
    const QUrl url = info.url();
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        busy = true;
        // Another navigation overtakes a stand-in on its way.
        if (url != standIn)
            standIn.clear();
        // A help page asked of the web host first gets a limited time.
        webAddress.clear();
        webTimer.stop();
        if (HelpScheme::webFirst() && HelpScheme::installedAddress(url).isValid()) {
            webAddress = url;
            webTimer.start();
        }
        return;
    }
    if (!standIn.isEmpty() && url != standIn)
        return; // the web copy given up on: the stand-in's load goes on
    // The address may have changed on the way (the host redirected); what
    // counts is the page that was asked for.
    const QUrl asked = webAddress;
    webAddress.clear();
    webTimer.stop();
    // A help page that the web host cannot give (no network, unknown host,
    // refused, dropped): the installed copy instead. An answer of the host's
    // own, such as "not found", is shown as it is.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && !asked.isEmpty()
        && info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain) {
        showInstalledCopy(asked);
        return;
    }
    standIn.clear();
    busy = false;
    emit DownloadComplete();
}

// Still busy: to the user this is one navigation, which ends with the copy.
// (By value: the caller may pass webAddress, which this clears.)
void WebBrowser::showInstalledCopy(QUrl web)
{
    webTimer.stop();
    webAddress.clear();
    standIn = HelpScheme::installedAddress(web);
    if (standIn.isValid())
        load(standIn);
}

QString WebBrowser::LocationName() const
{
    // A page without a title of its own (the engine's "not found", say) is
    // named by its address: for the installed copy, the published address.
    const QString name = title();
    const QUrl shown = url();
    const QUrl published = HelpScheme::publishedAddress(shown);
    if (published != shown && name == shown.toString())
        return published.toString();
    return name;
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
