#include "webbrowser.h"

#include "helppages.h"
#include "webcopy.h"

#include <QDesktopServices>
#include <QFile>
#include <QScrollBar>

namespace {

QUrl withoutFragment(const QUrl &address)
{
    return address.adjusted(QUrl::RemoveFragment);
}

// What the viewer shows for a project address that has no installed page.
QByteArray missingPage(const QUrl &address)
{
    return QStringLiteral("<html><body><h3>This help page is not installed</h3>"
                          "<p>%1</p><p>It is not among the help pages installed with Dravolt.</p>"
                          "</body></html>")
        .arg(address.toString(QUrl::FullyEncoded).toHtmlEscaped())
        .toUtf8();
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QTextBrowser(parent)
{
    // Every link comes to doSetSource, which decides where it opens.
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url(address);
    // An address that is no address fails here and leaves the browser idle.
    if (!url.isValid() || url.isRelative())
        return;
    busy = true;
    QMetaObject::invokeMethod(
        this, [this, url] { setSource(url); }, Qt::QueuedConnection);
}

QString WebBrowser::LocationName() const
{
    const QString title = documentTitle();
    return title.isEmpty() ? source().toString() : title;
}

void WebBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    if (!HelpPages::isProjectAddress(name)) {
        // Another site is never shown here; the page on display stays.
        QDesktopServices::openUrl(name);
        busy = false;
        emit DownloadComplete();
        return;
    }
    const QUrl page = withoutFragment(name);
    if (!WebCopy::enabled() || page == withoutFragment(source())) {
        showPage(name, type);
        return;
    }
    // The web copy first: still busy while it comes.
    busy = true;
    webCopy.clear();
    webPage = page;
    resourcesPending = 0;
    WebCopy::fetch(this, page, [this, name, page, type](const QByteArray &body) {
        if (webPage != page)
            return; // overtaken by another navigation
        if (!body.isNull())
            webCopy.insert(page, body);
        showPage(name, type);
    });
}

void WebBrowser::showPage(const QUrl &address, QTextDocument::ResourceType type)
{
    QTextBrowser::doSetSource(address, type);
    busy = false;
    emit NavigateComplete2(address);
    emit DownloadComplete();
}

QVariant WebBrowser::loadResource(int type, const QUrl &name)
{
    const QUrl address = withoutFragment(source().resolved(name));
    if (!webCopy.isEmpty()) {
        // A page from the web host takes its style sheets and pictures from there too.
        const auto found = webCopy.constFind(address);
        if (found != webCopy.constEnd())
            return *found;
        if (type != QTextDocument::HtmlResource) {
            fetchResource(address);
            return QVariant();
        }
    }
    const QString file = HelpPages::installedFile(address);
    if (!file.isEmpty()) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            return f.readAll();
    }
    if (type == QTextDocument::HtmlResource && HelpPages::isProjectAddress(address))
        return missingPage(address);
    // Nothing is loaded from anywhere else.
    return QVariant();
}

// A resource of a page from the web host: fetched in the background; the page
// is laid out again once the last one has come.
void WebBrowser::fetchResource(const QUrl &address)
{
    if (!HelpPages::isProjectAddress(address) || webCopy.contains(address))
        return;
    webCopy.insert(address, QByteArray()); // asked for once
    ++resourcesPending;
    const QUrl page = webPage;
    WebCopy::fetch(this, address, [this, address, page](const QByteArray &body) {
        if (webPage != page)
            return;
        webCopy.insert(address, body);
        if (--resourcesPending > 0)
            return;
        const int scrolled = verticalScrollBar()->value();
        setHtml(QString::fromUtf8(webCopy.value(page)));
        verticalScrollBar()->setValue(scrolled);
    });
}
