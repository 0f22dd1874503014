#pragma once
#include <QString>

namespace kv {

// Starts a program and waits for its end (Start_Program).
class IProgramStarter {
public:
    virtual ~IProgramStarter() = default;
    // Starts program with its window shown, detached from the configurator's
    // lifetime; returns when it ended, when limitMs passed (it keeps running),
    // or at once when it cannot be started.  While waiting no user input is
    // accepted but windows keep repainting.
    virtual void Start_Program(const QString& program, const QString& parameters, bool hidden,
                               int limitMs = 150000) = 0;
};

// The real one.  The program is started detached (it outlives the
// configurator and is no child of it) and watched by its process id every
// 10 ms.  While waiting, timers and paint events keep running and every
// user input to the configurator is dropped, not queued for later: a click
// made during a long update must not start anything once it is over.
class ProcessStarter : public IProgramStarter {
public:
    void Start_Program(const QString& program, const QString& parameters, bool hidden, int limitMs = 150000) override;

    // Process id of the last program started (0 when the start failed).
    qint64 lastPid() const { return m_lastPid; }

private:
    qint64 m_lastPid = 0;
};

// Watches a started process by its id until it ends (one small file per
// platform: ProgramStarter_posix.cpp, ProgramStarter_win.cpp).
class ProcessWatch {
public:
    explicit ProcessWatch(qint64 pid);
    ~ProcessWatch();
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;
    // True while the process exists and has not ended (a process that ended
    // but was not yet reaped by its parent counts as ended).
    bool running() const;

private:
    qint64 m_pid;
    void* m_handle = nullptr; // the process handle, where the platform has one
};

// ProcessWatch(pid).running().
bool ProcessIsRunning(qint64 pid);

} // namespace kv
