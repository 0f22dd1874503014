#include <QtTest>

#include "AppFixture.h"
#include "HeldQuery.h"
#include "app/UTessaraneFirmWare.h"
#include "app/VersionCheck.h"

#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

namespace {

// A one-page HTTP server on 127.0.0.1: it answers every request the same
// way and remembers the request lines it saw.
class StubServer : public QObject {
public:
    enum Mode { Answer, Silent };

    explicit StubServer(Mode mode, QByteArray response = QByteArray())
        : m_mode(mode)
        , m_response(std::move(response))
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                auto* buffer = new QByteArray;
                connect(s, &QObject::destroyed, this, [buffer] { delete buffer; });
                connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
                    buffer->append(s->readAll());
                    if (!buffer->contains("\r\n\r\n") || m_mode == Silent)
                        return;
                    requestLines.append(buffer->left(buffer->indexOf("\r\n")));
                    s->write(m_response);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

    QList<QByteArray> requestLines;

private:
    QTcpServer m_server;
    Mode m_mode;
    QByteArray m_response;
};

QByteArray httpResponse(int status, const QByteArray& body, const QByteArray& extraHeaders = QByteArray())
{
    return "HTTP/1.0 " + QByteArray::number(status) + " Whatever\r\nContent-Type: text/html\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

// A port on loopback where nobody listens.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

QByteArray padded(const QByteArray& head, int size)
{
    return head + QByteArray(size - head.size(), ' ');
}


} // namespace

class TestVersion : public QObject {
    Q_OBJECT
private slots:
    void convVersion_data();
    void convVersion();
    void checkAgainstStub_data();
    void checkAgainstStub();
    void timerTick_data();
    void timerTick();
    void timerStaysOffWhenDisabledDuringCheck();
};

void TestVersion::convVersion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("program version") << "1.000" << 1000;
    QTest::newRow("announced") << "VER. 1.001" << 1001;
    QTest::newRow("text after the version") << "VER. 2.345 beta" << 2345;
    QTest::newRow("blanks around") << "VER.    1.001   " << 1001;
    QTest::newRow("two digits before the separator") << "VER. 10.001" << -1;
    QTest::newRow("no blank after VER.") << "VER.1.001" << -1;
    QTest::newRow("too short") << "VER. 1.00" << -1;
    QTest::newRow("letters") << "VER. a.bcd" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestVersion::convVersion()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(kv::Conv_Version(text), value);
}

void TestVersion::checkAgainstStub_data()
{
    QTest::addColumn<int>("mode"); // 0 answer, 1 silent server, 2 no server, 3 redirect to a newer answer
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("answered"); // the body reached the caller
    QTest::addColumn<bool>("newer");

    const int answer = 0, silent = 1, none = 2, redirect = 3;
    QTest::newRow("1.001 is newer") << answer << httpResponse(200, "VER. 1.001") << true << true;
    QTest::newRow("1.000 is not") << answer << httpResponse(200, "VER. 1.000") << true << false;
    QTest::newRow("ver. 0.000 in lower case") << answer << httpResponse(200, "ver. 0.000") << true << false;
    QTest::newRow("blanks and blank lines") << answer << httpResponse(200, "\r\n\r\n   VER. 1.001  \r\n\r\n") << true << true;
    QTest::newRow("no blank after VER.") << answer << httpResponse(200, "VER.1.001") << true << false;
    QTest::newRow("empty body") << answer << httpResponse(200, "") << false << false;
    QTest::newRow("HTML page") << answer
                               << httpResponse(200, "<!DOCTYPE html>\n<html><head><title>Version</title></head>"
                                                    "<body>VER. 1.001</body></html>")
                               << true << false;
    QTest::newRow("binary") << answer << httpResponse(200, QByteArray("\x00\xff\xfe VER\x01 \x80\x81\x82\x83\x84", 14))
                            << true << false;
    QTest::newRow("64 KiB answer") << answer << httpResponse(200, padded("VER. 1.001", 64 * 1024)) << true << true;
    QTest::newRow("beyond 64 KiB") << answer << httpResponse(200, padded("VER. 1.001", 64 * 1024 + 1)) << false
                                   << false;
    QTest::newRow("status 500") << answer << httpResponse(500, "VER. 1.001") << false << false;
    QTest::newRow("redirect not followed") << redirect << QByteArray() << false << false;
    QTest::newRow("no server") << none << QByteArray() << false << false;
    QTest::newRow("server never answers") << silent << QByteArray() << false << false;
}

void TestVersion::checkAgainstStub()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, response);
    QFETCH(bool, answered);
    QFETCH(bool, newer);

    StubServer elsewhere(StubServer::Answer, httpResponse(200, "VER. 1.001"));
    if (mode == 3)
        response = httpResponse(302, "VER. 1.001", "Location: " + elsewhere.baseUrl().toUtf8() + "/v\r\n");
    StubServer server(mode == 1 ? StubServer::Silent : StubServer::Answer, response);
    const QString base = mode == 2 ? QStringLiteral("http://127.0.0.1:%1").arg(closedPort()) : server.baseUrl();
    qputenv("KV_VENDOR_BASE_URL", base.toUtf8());

    kv::HttpVersionQuery query(300); // a short transfer time-out keeps the silent case quick
    QObject context;
    int calls = 0;
    QString answer;
    query.query(&context, [&](const QString& a) {
        ++calls;
        answer = a;
    });
    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);

    if (mode == 0 || mode == 3) {
        QCOMPARE(server.requestLines.size(), 1);
        QCOMPARE(server.requestLines.at(0).left(53), QByteArray("GET /home/download/GetversionSW.asp?nomesw=KV52013 HT"));
    }
    QCOMPARE(!answer.isEmpty(), answered);
    QCOMPARE(kv::IsNewerVersion(answer), newer);
    QTest::qWait(50);
    QCOMPARE(calls, 1);
    QVERIFY(elsewhere.requestLines.isEmpty());
}

void TestVersion::timerTick_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("linkShown");
    QTest::newRow("newer") << "VER. 1.001" << true;
    QTest::newRow("failure") << "" << false;
}

void TestVersion::timerTick()
{
    QFETCH(QString, answer);
    QFETCH(bool, linkShown);
    AppFixture fx;
    HeldQuery held;
    fx.services.version = &held;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    fx.state->Settings.EnableInternet = true;
    fx.state->Settings.EnableUpdate = true;
    w.ApplyTimerRule();
    QCOMPARE(w.Timer_Update()->interval(), 60000);
    QVERIFY(w.Timer_Update()->isActive());

    auto* link = w.findChild<QLabel*>(QStringLiteral("LL_Update"));
    link->show(); // a link from an earlier tick must go on failure
    w.Timer_UpdateTimer();
    QCOMPARE(held.calls, 1);
    QVERIFY(!w.Timer_Update()->isActive()); // no second check while this one runs
    held.answer(answer);
    QVERIFY(w.Timer_Update()->isActive());
    QCOMPARE(w.Timer_Update()->interval(), 7200000);
    QCOMPARE(link->isVisibleTo(&w), linkShown);
    if (linkShown) {
        QVERIFY(link->text().contains(fx.state->Text(19)));
        const QRegularExpressionMatch href = QRegularExpression(QStringLiteral("href=\"([^\"]+)\"")).match(link->text());
        QVERIFY(href.hasMatch());
        QCOMPARE(QUrl(href.captured(1)), QUrl(kv::VendorBaseUrl() + QStringLiteral("/Home/download/download.asp#KD52013")));
        emit link->linkActivated(href.captured(1));
        QCOMPARE(fx.urls.opened, QList<QUrl>{kv::VendorDownloadPageUrl()});
    }
}

void TestVersion::timerStaysOffWhenDisabledDuringCheck()
{
    AppFixture fx;
    HeldQuery held;
    fx.services.version = &held;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    fx.state->Settings.EnableInternet = true;
    fx.state->Settings.EnableUpdate = true;
    w.ApplyTimerRule();
    w.Timer_UpdateTimer();
    // The user turns the check off while the answer is on its way.
    fx.state->Settings.EnableUpdate = false;
    w.ApplyTimerRule();
    held.answer(QStringLiteral("VER. 1.000"));
    QVERIFY(!w.Timer_Update()->isActive());
}

QTEST_MAIN(TestVersion)
#include "test_version.moc"
