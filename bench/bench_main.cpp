#include "Bench.h"

#include <QApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

std::vector<BenchCase>& BenchRegistry()
{
    static std::vector<BenchCase> cases;
    return cases;
}

void BenchContext::report(const QString& name, double value, const QString& unit)
{
    std::printf("%-60s %12.3f %s\n", name.toUtf8().constData(), value, unit.toUtf8().constData());
    std::fflush(stdout);
}

double BenchContext::median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// kv52013-bench [--quick] [case-name-substring...]
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    BenchContext ctx;
    QStringList filters;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--quick"))
            ctx.quick = true;
        else
            filters << a;
    }
    int ran = 0;
    for (const BenchCase& c : BenchRegistry()) {
        const QString name = QString::fromLatin1(c.name);
        if (!filters.isEmpty()
            && std::none_of(filters.begin(), filters.end(), [&](const QString& f) { return name.contains(f); }))
            continue;
        c.run(ctx);
        ++ran;
    }
    std::printf("%d benchmark cases run\n", ran);
    return 0;
}
