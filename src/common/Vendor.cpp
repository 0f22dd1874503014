#include "common/Vendor.h"

#include <QUrlQuery>

namespace kv {

QString VendorBaseUrl()
{
    const QByteArray env = qgetenv("KV_VENDOR_BASE_URL");
    if (!env.isEmpty())
        return QString::fromUtf8(env);
    return QStringLiteral("http://www.tolvexnet.example");
}

QUrl VendorHomePageUrl()
{
    QUrl u(VendorBaseUrl() + QStringLiteral("/HOME/default.asp"));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("frompg"), QStringLiteral("KV52013"));
    u.setQuery(q);
    return u;
}

QUrl VendorDownloadPageUrl()
{
    QUrl u(VendorBaseUrl() + QStringLiteral("/Home/download/download.asp"));
    u.setFragment(QStringLiteral("KD52013"));
    return u;
}

QString VendorSiteName()
{
    return QStringLiteral("tolvexnet.example");
}

} // namespace kv
