// The web copy through Qt Network, with the system's proxy settings
// (http_proxy and no_proxy on Linux).
#include "webcopy.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace WebCopy {

namespace {

QNetworkAccessManager &network()
{
    static QNetworkAccessManager *manager = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return new QNetworkAccessManager;
    }();
    return *manager;
}

} // namespace

bool enabled()
{
    return true;
}

void fetch(QObject *context, const QUrl &address, const std::function<void(const QByteArray &)> &done)
{
    QNetworkRequest request(address);
    request.setTransferTimeout(TimeoutMs);
    QNetworkReply *reply = network().get(request);
    // The whole answer within the time, not merely some progress.
    QTimer::singleShot(TimeoutMs, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, done] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
            done(QByteArray());
            return;
        }
        QByteArray body = reply->readAll();
        // An empty page still counts as an answer.
        if (body.isNull())
            body = QByteArray("");
        done(body);
    });
    // The reply is not left behind when the viewer closes first.
    QObject::connect(context, &QObject::destroyed, reply, [reply] {
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    });
}

} // namespace WebCopy
