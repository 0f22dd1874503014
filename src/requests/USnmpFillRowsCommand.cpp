#include "requests/USnmpFillRowsCommand.h"

#include "requests/SnmpTableModel.h"

namespace kv {

SnmpFillRowsCommand::SnmpFillRowsCommand(SnmpTableModel* model, const QString& text, int first,
                                         const QVector<SnmpRequest>& filled, const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_first(first)
    , m_before(model->rows().mid(first, filled.size()))
    , m_after(filled)
{
}

void SnmpFillRowsCommand::undo()
{
    put(m_before);
}

void SnmpFillRowsCommand::redo()
{
    put(m_after);
}

void SnmpFillRowsCommand::put(const QVector<SnmpRequest>& requests)
{
    QVector<SnmpRequest> rows = m_model->rows();
    std::copy(requests.cbegin(), requests.cend(), rows.begin() + m_first);
    m_model->replaceRows(rows);
}

} // namespace kv
