#pragma once
#include <QStringList>

class QTableView;
class QWidget;

namespace kv {

class IMessageService;
class LangTable;

// Table operations shared by the table editors.  Rows are numbered as the
// grid shows them (1 = first data row, model row 0); the data columns are
// 1 .. columnCount - 1 of the grid's model, read and written as their exact
// texts through Qt::EditRole.  Column 0 holds the row number.

// The grid's current row, at least 1.
int GridCurrentRow(const QTableView* grid);

// Enter moves to the next visible data column, then to column 1 of the next
// row, wrapping from the last row to row 1.  Acts only when enableJump is
// set and the key is Enter/Return; returns true when the key is consumed.
bool GridEnterKey(QTableView* grid, int key, bool enableJump);

// A double click on a header (row 0) fits that column to its widest content
// (visible rows and a bounded sample) when enabled; data cells do nothing.
void GridDblClickAutoSize(QTableView* grid, int row, int column, bool enabled);

// True when a cell of the row other than a check box holds text.
bool GridRowUsed(const QTableView* grid, int row);

// The texts of the row's data columns, empty ones included.
void GridCopyRow(const QTableView* grid, int row, QStringList& buffer);

// Whether buffer may be pasted into the row (the caller pastes it).  Refused
// with text 1102 unless a row was copied in this showing, with 1101 when the
// buffer does not fit the row; asks 1100 when a cell other than a check box
// holds text.
bool GridPasteRowAllowed(const QTableView* grid, int row, bool copied, const QStringList& buffer,
                         const LangTable& lang, IMessageService& messages, QWidget* dialogParent);

} // namespace kv
