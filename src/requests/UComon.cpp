#include "requests/UComon.h"

#include "common/TextRules.h"
#include "common/UServices.h"
#include "lang/LangTable.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>

namespace kv {

namespace {

enum : int {
    TxtOverwriteRow = 1100,
    TxtBadCopyBuffer = 1101,
    TxtCopyFirst = 1102,
};

int dataColumnCount(const QAbstractItemModel* m)
{
    return m->columnCount() - 1;
}

QString cellText(const QAbstractItemModel* m, int modelRow, int column)
{
    return m->data(m->index(modelRow, column), Qt::EditRole).toString();
}

int firstVisibleDataColumn(const QTableView* grid, int from)
{
    const int columns = grid->model()->columnCount();
    for (int c = from; c < columns; ++c) {
        if (!grid->isColumnHidden(c))
            return c;
    }
    return -1;
}

} // namespace

int GridCurrentRow(const QTableView* grid)
{
    const QModelIndex cur = grid->currentIndex();
    return cur.isValid() ? cur.row() + 1 : 1;
}

bool GridEnterKey(QTableView* grid, int key, bool enableJump)
{
    if (!enableJump || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return false;
    QAbstractItemModel* m = grid->model();
    const QModelIndex cur = grid->currentIndex();
    if (m && cur.isValid() && cur.column() >= 1) {
        int row = cur.row();
        int column = firstVisibleDataColumn(grid, cur.column() + 1);
        if (column < 0) {
            column = firstVisibleDataColumn(grid, 1);
            row = row + 1 >= m->rowCount() ? 0 : row + 1;
        }
        if (column >= 0) {
            const QModelIndex next = m->index(row, column);
            grid->setCurrentIndex(next);
            grid->scrollTo(next);
        }
    }
    return true;
}

void GridDblClickAutoSize(QTableView* grid, int row, int column, bool enabled)
{
    if (!enabled || row != 0 || column < 0 || column >= grid->model()->columnCount())
        return;
    // The view measures the header, the visible rows and a bounded sample.
    grid->resizeColumnToContents(column);
}

bool GridRowUsed(const QTableView* grid, int row)
{
    const QAbstractItemModel* m = grid->model();
    const int columns = dataColumnCount(m);
    for (int c = 1; c <= columns; ++c) {
        // Check boxes always hold something: they do not make a row used.
        if (m->flags(m->index(row - 1, c)) & Qt::ItemIsUserCheckable)
            continue;
        if (!TrimCtl(cellText(m, row - 1, c)).isEmpty())
            return true;
    }
    return false;
}

void GridCopyRow(const QTableView* grid, int row, QStringList& buffer)
{
    const QAbstractItemModel* m = grid->model();
    buffer.clear();
    const int columns = dataColumnCount(m);
    for (int c = 1; c <= columns; ++c)
        buffer.append(cellText(m, row - 1, c));
}

bool GridPasteRowAllowed(const QTableView* grid, int row, bool copied, const QStringList& buffer,
                         const LangTable& lang, IMessageService& messages, QWidget* dialogParent)
{
    const QAbstractItemModel* m = grid->model();
    if (!copied) {
        messages.error(dialogParent, lang.Get(TxtCopyFirst));
        return false;
    }
    const int columns = dataColumnCount(m);
    if (buffer.size() != columns) {
        messages.error(dialogParent, lang.Get(TxtBadCopyBuffer));
        return false;
    }
    return !GridRowUsed(grid, row) || messages.question(dialogParent, lang.Get(TxtOverwriteRow));
}

} // namespace kv
