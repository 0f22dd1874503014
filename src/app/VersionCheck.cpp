#include "app/VersionCheck.h"

#include "state/AppState.h"
#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "common/Vendor.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrlQuery>
#include <memory>

namespace kv {

int Conv_Version(const QString& text)
{
    const int blank = text.indexOf(QLatin1Char(' '));
    const QString t = TrimCtl(blank < 0 ? text : text.mid(blank + 1));
    if (t.size() < 5)
        return -1;
    // The digit before the separator and the three after it.
    QString digits;
    digits += t.at(0);
    digits += t.at(2);
    digits += t.at(3);
    digits += t.at(4);
    return ToInt32Or(digits, -1);
}

QString NewVersionLinkHtml(const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(VendorDownloadPageUrl().toString(QUrl::FullyEncoded).toHtmlEscaped(), text.toHtmlEscaped());
}

bool IsNewerVersion(const QString& answer)
{
    const QString trimmed = TrimCtl(answer);
    const QString upper = UpperAscii(trimmed);
    if (upper.isEmpty() || upper == QLatin1String("VER. 0.000"))
        return false;
    const int local = Conv_Version(ProgramVersion);
    const int remote = Conv_Version(trimmed);
    if (local == -1 || remote == -1)
        return false;
    return remote > local;
}

QUrl VersionQueryUrl()
{
    QUrl url(VendorBaseUrl() + QStringLiteral("/home/download/GetversionSW.asp"));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("nomesw"), SoftwareCode);
    url.setQuery(q);
    return url;
}

class HttpVersionQuery::Impl {
public:
    explicit Impl(int timeoutMs)
        : transferTimeoutMs(timeoutMs)
    {
    }

    QNetworkAccessManager& manager()
    {
        if (!nam) {
            nam = std::make_unique<QNetworkAccessManager>();
            nam->setProxy(QNetworkProxy::NoProxy);
            nam->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        }
        return *nam;
    }

    int transferTimeoutMs;
    std::unique_ptr<QNetworkAccessManager> nam;
};

HttpVersionQuery::HttpVersionQuery(int transferTimeoutMs)
    : m_impl(new Impl(transferTimeoutMs))
{
}

HttpVersionQuery::~HttpVersionQuery()
{
    delete m_impl;
}

void HttpVersionQuery::query(QObject* context, std::function<void(const QString& answer)> done)
{
    QNetworkRequest request(VersionQueryUrl());
    // Qt's client speaks HTTP/1.1 at the least; HTTP/2 is kept off so the
    // request stays a plain one-shot GET.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(m_impl->transferTimeoutMs);

    QNetworkReply* reply = m_impl->manager().get(request);
    auto body = std::make_shared<QByteArray>();
    auto tooLong = std::make_shared<bool>(false);

    // The body is collected as it arrives so an endless answer is cut off
    // at the cap instead of filling memory.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body, tooLong] {
        if (*tooLong)
            return;
        body->append(reply->read(MaxAnswerBytes + 1 - body->size()));
        if (body->size() > MaxAnswerBytes) {
            *tooLong = true;
            reply->abort();
        }
    });

    QPointer<QObject> guard(context);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, body, tooLong, guard, context, done] {
        reply->deleteLater();
        QString answer;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!*tooLong && reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299) {
            body->append(reply->read(MaxAnswerBytes + 1 - body->size()));
            if (body->size() <= MaxAnswerBytes)
                answer = QString::fromUtf8(*body);
        }
        if (context && !guard)
            return; // the window that asked is gone
        done(answer);
    });
}

} // namespace kv
