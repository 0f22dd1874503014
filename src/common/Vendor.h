#pragma once
#include <QString>
#include <QUrl>

namespace kv {

// The vendor's web server: a placeholder address that the environment
// variable KV_VENDOR_BASE_URL replaces (tests point it at a loopback stub).
QString VendorBaseUrl();
QUrl VendorHomePageUrl();      // /HOME/default.asp?frompg=KV52013
QUrl VendorDownloadPageUrl();  // /Home/download/download.asp#KD52013
QString VendorSiteName();      // shown by the vendor labels

} // namespace kv
