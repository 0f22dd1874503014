#pragma once
// Shared by the update dialog tests: a workspace in a temporary folder, the
// dialog with recording services, and the address boxes on loopback.
#include <QtTest>

#include "update/IcmpEcho.h"
#include "update/ProgramStarter.h"
#include "update/UBoot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

// Answers from a script, then with `fallback`, each answer from the event
// loop as a real echo does; records every host.
class ScriptedEcho : public kv::IEchoClient {
public:
    ScriptedEcho()
    {
        m_answer.setSingleShot(true);
        QObject::connect(&m_answer, &QTimer::timeout, [this] {
            Done done = std::move(m_done);
            m_done = nullptr;
            if (done)
                done(m_result, m_result == Error ? reason : QString());
        });
    }
    void start(const QString& host, int timeoutMs, Done done) override
    {
        cancel();
        hosts << host;
        timeouts << timeoutMs;
        if (onEcho)
            onEcho(); // what it queues comes before the answer
        m_result = script.isEmpty() ? fallback : script.takeFirst();
        m_done = std::move(done);
        m_answer.start(0);
    }
    void cancel() override
    {
        m_answer.stop();
        m_done = nullptr;
    }
    QList<Result> script;
    Result fallback = Reply;
    QString reason = QStringLiteral("no such host");
    QStringList hosts;
    QList<int> timeouts;
    std::function<void()> onEcho;

private:
    QTimer m_answer;
    Result m_result = Reply;
    Done m_done;
};

// Counts the echoes of another client; waiting is true while one waits.
class CountingEcho : public kv::IEchoClient {
public:
    explicit CountingEcho(kv::IEchoClient& inner)
        : m_inner(inner)
    {
    }
    void start(const QString& host, int timeoutMs, Done done) override
    {
        ++calls;
        lastError.clear();
        waiting = true;
        m_inner.start(host, timeoutMs, [this, done](Result r, const QString& error) {
            waiting = false;
            lastError = error;
            done(r, error);
        });
    }
    void cancel() override
    {
        if (waiting)
            ++cancelled;
        waiting = false;
        m_inner.cancel();
    }
    int calls = 0;
    int cancelled = 0; // echoes cancelled while they waited
    bool waiting = false;
    QString lastError;

private:
    kv::IEchoClient& m_inner;
};

class RecordingStarter : public kv::IProgramStarter {
public:
    struct Call {
        QString program;
        QString parameters;
        bool hidden;
    };
    void Start_Program(const QString& program, const QString& parameters, bool hidden, int) override
    {
        calls.append({program, parameters, hidden});
    }
    QList<Call> calls;
};

struct BootFixture {
    QTemporaryDir dir;
    kv::AppState state;
    kv::ScriptedMessageService messages;
    ScriptedEcho scripted;
    RecordingStarter recording;
    kv::UiServices services;
    std::unique_ptr<TFBoot> boot;

    // exeDir: the configurator's folder; a fresh temporary one when empty.
    explicit BootFixture(kv::IEchoClient* echo = nullptr, kv::IProgramStarter* starter = nullptr,
                         const QString& exeDir = QString())
        : state(exeDir.isEmpty() ? dir.path() : exeDir)
    {
        state.CreateWorkspace();
        state.OpenProject(QStringLiteral("Plant"));
        QDir().mkpath(state.ActiveProjectDir + QStringLiteral("/bin"));
        // The files the job names, where the folder has none: the firmware
        // image delivered in MASTER and the image that step 5 compiled.
        for (const QString& file : {firmware(), bank()}) {
            QFile f(file);
            if (!f.exists() && f.open(QIODevice::WriteOnly))
                f.write("image");
        }
        state.Settings.LastIpAddress = QStringLiteral("127.0.0.1");
        services.messages = &messages;
        services.echo = echo ? echo : &scripted;
        services.starter = starter ? starter : &recording;
        boot = std::make_unique<TFBoot>(state, services);
    }
    template <typename T> T* child(const char* name) const
    {
        return boot->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* box(int i) const { return child<QLineEdit>(QStringLiteral("E_IP%1").arg(i).toLatin1().constData()); }
    // FormShow runs at every show.
    void show()
    {
        boot->hide();
        boot->show();
    }
    void setBoxes(const QString& a, const QString& b, const QString& c, const QString& d)
    {
        box(1)->setText(a);
        box(2)->setText(b);
        box(3)->setText(c);
        box(4)->setText(d);
    }
    QString boxes() const
    {
        return box(1)->text() + QLatin1Char('|') + box(2)->text() + QLatin1Char('|') + box(3)->text()
            + QLatin1Char('|') + box(4)->text();
    }
    QString jobPath() const { return state.ExeDir + QStringLiteral("/Ethernet_Update.xml"); }
    QString firmware() const { return state.MasterDir + QStringLiteral("/Img52013.sim"); }
    QString bank() const { return state.ActiveProjectDir + QStringLiteral("/bin/bank.bin"); }

    // Presses Update as the engineer does and waits until that press has run
    // its course (or at most limitMs), then lets the events it left run out.
    // False when it did not end.
    bool runUpdate(int limitMs = 20000)
    {
        QSignalSpy ended(boot.get(), &TFBoot::updateEnded);
        boot->Btn_UpdateClick();
        const bool done = !ended.isEmpty() || ended.wait(limitMs);
        settle();
        return done;
    }
    // Runs the event loop out: queued calls, timers due, deferred deletes.
    static void settle()
    {
        QTest::qWait(30);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
