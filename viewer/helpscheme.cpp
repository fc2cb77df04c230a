#include "helpscheme.h"

#include "helppages.h"
#include "version.h"

#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace HelpScheme {

namespace {

const QByteArray Name = QByteArrayLiteral("dravolt-help");
const QString PagesPath = QStringLiteral("/kvrg/quenlar/");

#ifdef DRAVOLT_HELP_FROM_WEB
bool askWebFirst = true;
#else
bool askWebFirst = false;
#endif

// Answers dravolt-help://<web host>/<path> with the installed file that
// http://<web host>/<path> stands for; a path with no file is not found.
class PagesHandler : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QString path = HelpPages::installedFile(publishedAddress(job->requestUrl()));
        if (path.isEmpty() || job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        // The job owns the file and closes it when it is done.
        auto *file = new QFile(path, job);
        if (!file->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const QString type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
        job->reply(type.toUtf8(), file);
    }
};

// Sends every request for the project's page to the installed copy, unless
// the web copy is to be asked first.
class PagesInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (askWebFirst)
            return;
        const QUrl installed = installedAddress(info.requestUrl());
        if (installed.isValid())
            info.redirect(installed);
    }
};

} // namespace

void registerScheme()
{
    QWebEngineUrlScheme scheme(Name);
    // Host syntax makes it a standard scheme: addresses are canonical ("." and
    // ".." resolved), relative links and anchors resolve as on the web. Secure,
    // like https; no access to local files, which the pages do not need.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void installOn(QWebEngineProfile *profile)
{
    if (profile->urlSchemeHandler(Name))
        return;
    // Both live as long as the profile.
    profile->installUrlSchemeHandler(Name, new PagesHandler(profile));
    profile->setUrlRequestInterceptor(new PagesInterceptor(profile));
}

QUrl installedAddress(const QUrl &address)
{
    if (address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0
        || address.host().compare(QLatin1String(Version::WebHost), Qt::CaseInsensitive) != 0
        || (address.port() != -1 && address.port() != 80)
        || !address.path().startsWith(PagesPath))
        return QUrl();
    QUrl installed = address;
    installed.setScheme(QString::fromLatin1(Name));
    installed.setHost(QLatin1String(Version::WebHost));
    installed.setPort(-1);
    return installed;
}

QUrl publishedAddress(const QUrl &address)
{
    if (address.scheme() != QLatin1String(Name))
        return address;
    QUrl web = address;
    web.setScheme(QStringLiteral("http"));
    return web;
}

bool webFirst()
{
    return askWebFirst;
}

void setWebFirst(bool first)
{
    askWebFirst = first;
}

} // namespace HelpScheme
