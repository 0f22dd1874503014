#pragma once
#include <QString>
#include <QtGlobal>

#include <functional>

#include "requests/SnmpRequests.h"

namespace pugi {
class xml_node;
}

namespace kv {

// Record modes of the configuration image.
enum RecordMode : quint8 { RecordGet = 0, RecordSet = 1, RecordTrap = 2 };

// One request row read the way the compile reads it.  A row element's
// missing attribute has a meaning of its own (Enable missing: compiled), so
// the texts keep whether they were there; a row of the editor has every
// cell.  The compile and the data map both read rows through this.
class CompiledRowText {
public:
    explicit CompiledRowText(const pugi::xml_node& row);
    explicit CompiledRowText(const SnmpRequest& row);

    bool has(int column) const { return m_present[column - 1]; }
    // The cell's text; empty when the attribute is missing.
    const QString& text(int column) const { return m_text[column - 1]; }
    // The number rule; fallback when missing or not a number.
    qint32 number(int column, qint32 fallback) const;
    bool upperIs(int column, QLatin1String word) const;

    // Enable missing, or "Y" by RowIsCompiled.
    bool compiled() const;
    // "GET" and "SET" in any case; anything else, or nothing, is a trap.
    RecordMode mode() const;
    // The low 16 bits of the number; 0 when missing or no number.
    quint16 position() const;
    // False when Num Bytes is a number outside 0..255: the compile refuses
    // the row.
    bool numberBytesFits() const;
    // Num Bytes as the record keeps it; 1 when missing or no number.
    quint8 numberBytes() const;

private:
    QString m_text[SnmpFieldCount];
    bool m_present[SnmpFieldCount] = {};
};

// The rows of SNMP_Manager.xml in file order, given with the number the
// table editor shows (every child node counts, only elements are rows).
void ForEachCompiledRow(const pugi::xml_node& tableRoot,
                        const std::function<void(const CompiledRowText& row, int number)>& visit);

} // namespace kv
