// The browser control of the help viewer: Qt's rich-text browser with just
// what the viewer uses of a browser. It shows the project's pages from the
// copy installed with Dravolt (in a build for a host that serves them, the
// web host's copy first); any other address opens in the system's browser.
#pragma once

#include <QHash>
#include <QTextBrowser>
#include <QUrl>

class WebBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr);

    // Starts loading the address and returns before the page is shown.
    void Navigate(const QString &address);
    // True from Navigate until that page is shown (or given up).
    bool Busy() const { return busy; }
    // The page's title; its address when it has none.
    QString LocationName() const;

signals:
    // A navigation finished, was stopped or failed.
    void DownloadComplete();
    // The browser moved to another address (a page or a place within it).
    void NavigateComplete2(const QUrl &address);

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void showPage(const QUrl &address, QTextDocument::ResourceType type);
    void fetchResource(const QUrl &address);

    bool busy = false;
    // What the web host gave for this page and its style sheets and pictures;
    // empty when the installed copy is shown.
    QHash<QUrl, QByteArray> webCopy;
    QUrl webPage;
    int resourcesPending = 0;
};
