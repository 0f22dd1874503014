#include "app/VersionCheck.h"

// PLACEHOLDER: written by the version-check work.
namespace kv {

int Conv_Version(const QString&) { return -1; }
bool IsNewerVersion(const QString&) { return false; }

class HttpVersionQuery::Impl {};
HttpVersionQuery::HttpVersionQuery() : m_impl(new Impl) {}
HttpVersionQuery::~HttpVersionQuery() { delete m_impl; }
void HttpVersionQuery::query(QObject*, std::function<void(const QString&)> done) { done(QString()); }

} // namespace kv
