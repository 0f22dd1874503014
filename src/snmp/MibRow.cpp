#include "snmp/MibLibrary.h"

#include <algorithm>

namespace kv {

namespace {

bool isIntBase(const QString& base)
{
    static const QStringList ints = {QStringLiteral("INTEGER"), QStringLiteral("Integer32"),
                                     QStringLiteral("Unsigned32"), QStringLiteral("Gauge32"),
                                     QStringLiteral("Counter32"), QStringLiteral("TimeTicks"),
                                     QStringLiteral("Counter64")};
    return ints.contains(base);
}

// The smallest of 1, 2, 4, 8 bytes holding every value from low to high:
// two's complement when low is negative, otherwise unsigned.
int bytesFor(qint64 low, qint64 high)
{
    for (int n : {1, 2, 4}) {
        const int bits = 8 * n;
        if (low < 0) {
            if (low >= -(qint64(1) << (bits - 1)) && high <= (qint64(1) << (bits - 1)) - 1)
                return n;
        } else if (high <= (qint64(1) << bits) - 1) {
            return n;
        }
    }
    return 8;
}

} // namespace

QString MibModuleState::describe() const
{
    const QString head = QStringLiteral("%1 (%2): ").arg(name, file);
    switch (kind) {
    case Loaded:
        return head + QStringLiteral("loaded");
    case Failed:
        return head + QStringLiteral("error at line %1: %2").arg(line).arg(message);
    case MissingImports:
        return head + QStringLiteral("missing imports: ") + missing.join(QStringLiteral(", "));
    }
    return head;
}

MibRow MibRowFor(const MibObject& object, const QString& index)
{
    MibRow row;
    if (!object.scalar && !object.column) {
        row.refusal = MibRow::NotScalarOrColumn;
        row.reason = QStringLiteral("%1 is neither a scalar nor a table column").arg(object.name);
        return row;
    }
    if (object.access == QLatin1String("not-accessible") || object.access == QLatin1String("accessible-for-notify")) {
        row.refusal = MibRow::NotAccessible;
        row.reason = QStringLiteral("%1 is %2: an agent does not answer for it").arg(object.name, object.access);
        return row;
    }
    if (isIntBase(object.base)) {
        row.type = QStringLiteral("Int");
        qint64 low = 0;
        qint64 high = 0;
        bool known = false;
        const auto widen = [&](qint64 lo, qint64 hi) {
            low = known ? std::min(low, lo) : lo;
            high = known ? std::max(high, hi) : hi;
            known = true;
        };
        for (const auto& r : object.range)
            widen(r.first, r.second);
        if (!known) {
            for (const auto& e : object.enums)
                widen(e.second, e.second);
        }
        if (object.base == QLatin1String("Counter64"))
            row.numBytes = known ? std::max(bytesFor(low, high), 1) : 8;
        else
            row.numBytes = known ? bytesFor(low, high) : 4;
    } else if (object.base == QLatin1String("OCTET STRING")) {
        row.type = QStringLiteral("String");
        qint64 largest = -1;
        for (const auto& s : object.size)
            largest = std::max(largest, s.second);
        row.numBytes = largest < 0 ? 255 : int(std::clamp<qint64>(largest, 1, 255));
    } else {
        row.refusal = object.base.isEmpty() ? MibRow::NoSyntax : MibRow::NoRowType;
        row.reason = object.base.isEmpty()
            ? QStringLiteral("%1 has no syntax").arg(object.name)
            : QStringLiteral("%1 is %2, which no row type holds").arg(object.name, object.base);
        return row;
    }
    row.filled = true;
    row.mode = QStringLiteral("Get");
    if (object.column) {
        row.oid = object.oid + QLatin1Char('.') + index;
        row.mnemonic = object.name + QLatin1Char('.') + index;
    } else {
        row.oid = object.oid + QStringLiteral(".0");
        row.mnemonic = object.name;
    }
    return row;
}

} // namespace kv
