#include "frmBrowser.h"

#include "formstyle.h"
#include "platform.h"
#include "webbrowser.h"

#include <QCoreApplication>
#include <QShowEvent>
#include <QTimer>

namespace {

// Layout units: 15 twips to the pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

} // namespace

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
    setFocusProxy(brwWebBrowser);

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

frmBrowser::~frmBrowser()
{
    // A page's document is large beside the rest of Dravolt: once it is gone
    // (after this window's children), its memory goes back to the system.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &Platform::releaseFreedMemory, Qt::QueuedConnection);
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
