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

class ProcessStarter : public IProgramStarter {
public:
    void Start_Program(const QString& program, const QString& parameters, bool hidden, int limitMs = 150000) override;
};

} // namespace kv
