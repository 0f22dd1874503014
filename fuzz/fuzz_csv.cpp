// Any bytes as a CSV import and as clipboard text.  An import is whole or
// refused with a problem that names where; an imported table exports and
// imports back to the same rows and the same file; a paste is whole or leaves
// the rows alone.
#include "requests/SnmpTableText.h"
#include "lang/LangTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kv::LangTable lang;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    QVector<kv::SnmpRequest> rows;
    kv::TableTextProblem problem;
    int count = 0;
    if (kv::ReadSnmpCsv(bytes, 244, rows, problem, &count)) {
        if (rows.size() != kv::SnmpMaxRows || count < 0 || count > kv::SnmpMaxRows || !problem.ok())
            __builtin_trap();
        QVector<kv::SnmpRequest> back;
        const QByteArray csv = kv::SnmpRequestsCsv(rows);
        if (!kv::ReadSnmpCsv(csv, 244, back, problem) || kv::SnmpRequestsCsv(back) != csv)
            __builtin_trap();
        const int content = kv::SnmpContentRowCount(rows);
        if (kv::SnmpContentRowCount(back) != content || back.mid(0, content) != rows.mid(0, content))
            __builtin_trap();
        for (int r = 0; r < kv::SnmpMaxRows; ++r) {
            if (back[r] != rows[r] && back[r] != kv::SnmpRequest::ResetRow())
                __builtin_trap();
        }
    } else if (problem.ok() || problem.line < 1 || kv::TableTextMessage(problem, lang, QStringLiteral("c")).isEmpty()) {
        __builtin_trap();
    }

    const QString text = QString::fromUtf8(bytes);
    const QVector<QStringList> cells = kv::ParseTabText(text);
    QVector<int> visible;
    for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
        if (c != kv::ColOnCommand)
            visible << c;
    }
    QVector<kv::SnmpRequest> table(kv::SnmpMaxRows, kv::SnmpRequest::ResetRow());
    const QVector<kv::SnmpRequest> before = table;
    const int row = int(size % kv::SnmpMaxRows) + 1;
    const int column = visible.at(int(size % size_t(visible.size())));
    if (!kv::PasteCells(table, row, column, cells, visible, 244, problem)) {
        if (table != before || problem.ok() || problem.row < 1 || problem.column < 1)
            __builtin_trap();
    }
    return 0;
}
