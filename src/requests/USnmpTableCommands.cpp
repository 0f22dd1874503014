#include "requests/USnmpTableCommands.h"

#include "requests/SnmpTableModel.h"

namespace kv {

SnmpTableCommand::SnmpTableCommand(SnmpTableModel* model, const QString& text, const QRect& shown)
    : QUndoCommand(text)
    , m_model(model)
    , m_shown(shown)
{
}

SnmpCellCommand::SnmpCellCommand(SnmpTableModel* model, int row, int column, const QString& before,
                                 const QString& after)
    : SnmpTableCommand(model, QString(), QRect(column, row, 1, 1))
    , m_row(row)
    , m_column(column)
    , m_before(before)
    , m_after(after)
{
}

void SnmpCellCommand::undo()
{
    m_model->setCellText(m_row, m_column, m_before);
}

void SnmpCellCommand::redo()
{
    m_model->setCellText(m_row, m_column, m_after);
}

SnmpPasteCellsCommand::SnmpPasteCellsCommand(SnmpTableModel* model, const QString& text,
                                             const QVector<SnmpRequest>& before, const QVector<SnmpRequest>& after,
                                             const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_before(before)
    , m_after(after)
{
}

void SnmpPasteCellsCommand::undo()
{
    m_model->replaceRows(m_before);
}

void SnmpPasteCellsCommand::redo()
{
    m_model->replaceRows(m_after);
}

SnmpImportCommand::SnmpImportCommand(SnmpTableModel* model, const QString& text, const QVector<SnmpRequest>& before,
                                     const QVector<SnmpRequest>& after, const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_before(before)
    , m_after(after)
{
}

void SnmpImportCommand::undo()
{
    m_model->setRows(m_before);
}

void SnmpImportCommand::redo()
{
    m_model->setRows(m_after);
}

SnmpInsertRowCommand::SnmpInsertRowCommand(SnmpTableModel* model, const QString& text, int row, const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_row(row)
{
}

void SnmpInsertRowCommand::undo()
{
    m_model->removeRequest(m_row, m_fallen);
}

void SnmpInsertRowCommand::redo()
{
    m_fallen = m_model->insertRequest(m_row, SnmpRequest());
}

SnmpDeleteRowCommand::SnmpDeleteRowCommand(SnmpTableModel* model, const QString& text, int row, const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_row(row)
{
}

void SnmpDeleteRowCommand::undo()
{
    m_model->insertRequest(m_row, m_removed);
}

void SnmpDeleteRowCommand::redo()
{
    m_removed = m_model->removeRequest(m_row, SnmpRequest());
}

SnmpPasteRowCommand::SnmpPasteRowCommand(SnmpTableModel* model, const QString& text, int row,
                                         const SnmpRequest& pasted, const QRect& shown)
    : SnmpTableCommand(model, text, shown)
    , m_row(row)
    , m_before(model->rows().at(row))
    , m_after(pasted)
{
}

void SnmpPasteRowCommand::undo()
{
    put(m_before);
}

void SnmpPasteRowCommand::redo()
{
    put(m_after);
}

void SnmpPasteRowCommand::put(const SnmpRequest& request)
{
    QVector<SnmpRequest> rows = m_model->rows();
    rows[m_row] = request;
    m_model->replaceRows(rows);
    m_model->announceRowsRenumbered();
}

} // namespace kv
