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
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Answers from a script, then with `fallback`; records every host.
class ScriptedEcho : public kv::IEchoClient {
public:
    Result echo(const QString& host, int timeoutMs, QString* error) override
    {
        hosts << host;
        timeouts << timeoutMs;
        if (onEcho)
            onEcho();
        const Result r = script.isEmpty() ? fallback : script.takeFirst();
        if (r == Error && error)
            *error = reason;
        return r;
    }
    QList<Result> script;
    Result fallback = Reply;
    QString reason = QStringLiteral("no such host");
    QStringList hosts;
    QList<int> timeouts;
    std::function<void()> onEcho;
};

// Counts the echoes of another client; waiting is true while one waits.
class CountingEcho : public kv::IEchoClient {
public:
    explicit CountingEcho(kv::IEchoClient& inner)
        : m_inner(inner)
    {
    }
    Result echo(const QString& host, int timeoutMs, QString* error) override
    {
        ++calls;
        lastError.clear();
        waiting = true;
        const Result r = m_inner.echo(host, timeoutMs, &lastError);
        waiting = false;
        if (error)
            *error = lastError;
        return r;
    }
    int calls = 0;
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
};
