// The help viewer: one help page in a browser control, its caption in step
// with the page. A new, separate viewer for every request.
#pragma once

#include <QString>
#include <QWidget>

class QTimer;
class WebBrowser;

class frmBrowser : public QWidget
{
    Q_OBJECT
    // The full address of the page to open; set by the opener before showing.
    Q_PROPERTY(QString StartingAddress MEMBER StartingAddress)

public:
    explicit frmBrowser(QWidget *parent = nullptr);
    ~frmBrowser() override;

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
