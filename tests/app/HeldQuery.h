#pragma once
#include <functional>

#include "app/VersionCheck.h"

// A version query whose answer the test hands over when it wants.
class HeldQuery : public kv::IVersionQuery {
public:
    void query(QObject*, std::function<void(const QString&)> done) override
    {
        ++calls;
        pending = std::move(done);
    }
    void answer(const QString& text)
    {
        auto done = std::move(pending);
        pending = nullptr;
        done(text);
    }
    std::function<void(const QString&)> pending;
    int calls = 0;
};
