// The web help viewer: one help page in an embedded browser, its caption in
// step with the page. Built into the viewer program only, never into Dravolt.
#pragma once

#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>

class QWebEngineLoadingInfo;

// The browser control as the viewer uses it: start loading an address, tell
// whether it is busy, name what it shows, and report finished navigations and
// downloads.
class WebBrowser : public QWebEngineView
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr);

    // Starts loading the address and returns before the page has loaded.
    void Navigate(const QString &address);
    // True from the start of a navigation until it has finished, failed or
    // been stopped.
    bool Busy() const { return busy; }
    // The name of what is on display: the page's title as the engine reports it.
    QString LocationName() const;

signals:
    // A navigation or download finished, was stopped or failed.
    void DownloadComplete();
    // The browser moved to another address (a page or a place within it).
    void NavigateComplete2(const QUrl &address);

private:
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void showInstalledCopy(QUrl web);

    bool busy = false;
    bool watching = false;
    // The web copy of a help page being asked for first, and the time it has.
    QUrl webAddress;
    QTimer webTimer;
    // The installed copy that stands in for a web copy that could not be had.
    QUrl standIn;
};

class frmBrowser : public QWidget
{
    Q_OBJECT
    // The full address of the page to open; set by the opener before showing.
    Q_PROPERTY(QString StartingAddress MEMBER StartingAddress)

public:
    explicit frmBrowser(QWidget *parent = nullptr);

    QString StartingAddress;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void formLoad();
    void timTimerTimer();
    void brwWebBrowserDownloadComplete();
    void brwWebBrowserNavigateComplete2();

private:
    void formResize();

    WebBrowser *brwWebBrowser = nullptr;
    QTimer *timTimer = nullptr;
    bool loaded = false;
};
