#pragma once
#include "requests/USnmpTableCommands.h"

namespace kv {

// Rows filled from the objects of a MIB: the rows from `first` on take the
// requests given, and give back what they held with the undo.
class SnmpFillRowsCommand : public SnmpTableCommand {
public:
    SnmpFillRowsCommand(SnmpTableModel* model, const QString& text, int first, const QVector<SnmpRequest>& filled,
                        const QRect& shown);
    void undo() override;
    void redo() override;

private:
    void put(const QVector<SnmpRequest>& requests);
    int m_first;
    QVector<SnmpRequest> m_before, m_after;
};

} // namespace kv
