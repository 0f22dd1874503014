#pragma once
#include "update/IcmpEcho.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace kv {

// The ping of the update dialog, as a job the dialog starts and stops: one
// echo after another, each with its 400 ms reply time-out and a 10 ms pause
// after it, until two echoes got a reply or 5 s have passed; an echo that
// fails (no address, no socket) ends it at once.  Nothing blocks and no
// event loop is nested: stop() ends it at once, wherever it is.
class PingJob : public QObject {
    Q_OBJECT
public:
    static constexpr int EchoTimeoutMs = 400;
    static constexpr int PauseMs = 10;
    static constexpr int BudgetMs = 5000;
    static constexpr int RepliesWanted = 2;

    explicit PingJob(IEchoClient& echo, QObject* parent = nullptr);
    ~PingJob() override;

    // Starts pinging host (a running ping is stopped first).
    void start(const QString& host);
    // Ends the ping at once: the echo under way is abandoned, a reply that
    // comes later is ignored, and finished is not emitted.
    void stop();
    bool running() const { return m_running; }
    // The reason of the echo that failed, when the ping ended so.
    QString error() const { return m_error; }

signals:
    // After every echo that was sent: Reply or Timeout.
    void echoed(kv::IEchoClient::Result result);
    // The ping ended by itself; found: the last echo got a reply and no echo
    // failed.
    void finished(bool found);

private:
    void sendEcho();
    void echoDone(IEchoClient::Result result, const QString& error);
    void pauseOver();
    void end(bool found);

    IEchoClient& m_echo;
    QString m_host;
    QElapsedTimer m_clock;
    QTimer m_pause;
    QString m_error;
    int m_replies = 0;
    bool m_lastReplied = false;
    bool m_running = false;
};

} // namespace kv
