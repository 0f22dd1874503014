#pragma once
#include <QString>
#include <functional>
#include <vector>

// A benchmark case reports figures by name; --quick runs each case once with
// small repetition counts so the test suite only checks that it still works.
struct BenchContext {
    bool quick = false;
    int repetitions(int full) const { return quick ? 1 : full; }
    // name, value, unit (e.g. "ms", "MB", "x")
    void report(const QString& name, double value, const QString& unit);
    // Median of the samples.
    static double median(std::vector<double> samples);
};

struct BenchCase {
    const char* name;
    std::function<void(BenchContext&)> run;
};

std::vector<BenchCase>& BenchRegistry();

struct BenchRegistrar {
    BenchRegistrar(const char* name, std::function<void(BenchContext&)> run)
    {
        BenchRegistry().push_back({name, std::move(run)});
    }
};

#define KV_BENCH(id, name) \
    static void id(BenchContext&); \
    static BenchRegistrar id##_registrar(name, id); \
    static void id(BenchContext& ctx)
