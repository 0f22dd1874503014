#pragma once
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace kv {

// Asks the vendor's web server for the current version of the configurator.
class IVersionQuery {
public:
    virtual ~IVersionQuery() = default;
    // Starts the query; done runs once, on the user-interface thread, with the
    // answer body, or with an empty text on any failure.  context bounds the
    // callback's lifetime.
    virtual void query(QObject* context, std::function<void(const QString& answer)> done) = 0;
};

// Whole number of the four digits of a d.ddd version after the first blank,
// or -1.
int Conv_Version(const QString& text);

// True when the server's answer names a newer version than ProgramVersion.
bool IsNewerVersion(const QString& answer);

// The rich-text link to the download page that announces a newer version;
// text is the announcement shown.
QString NewVersionLinkHtml(const QString& text);

// Address of the version query on the vendor's server.
QUrl VersionQueryUrl();

// The real query over HTTP (Qt Network): GET, no redirects, time-out, capped body.
class HttpVersionQuery : public IVersionQuery {
public:
    static constexpr int DefaultTransferTimeoutMs = 10000;
    static constexpr qint64 MaxAnswerBytes = 64 * 1024;

    // transferTimeoutMs bounds a transfer that stalls (tests pass a short one).
    explicit HttpVersionQuery(int transferTimeoutMs = DefaultTransferTimeoutMs);
    ~HttpVersionQuery() override;
    HttpVersionQuery(const HttpVersionQuery&) = delete;
    HttpVersionQuery& operator=(const HttpVersionQuery&) = delete;

    void query(QObject* context, std::function<void(const QString& answer)> done) override;

private:
    class Impl;
    Impl* m_impl;
};

} // namespace kv
