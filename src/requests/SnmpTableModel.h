#pragma once
#include <QAbstractTableModel>
#include <QStringList>

#include "requests/SnmpRequests.h"

namespace kv {

// The request grid's data: 512 rows, columns 0..16 numbered as the grid's
// (column 0 the row number, 1..16 the fields of SnmpRequest).
//  - Qt::EditRole is the cell's exact text in every column; the table
//    operations and the pick-list editors read and write it.
//  - Check-box columns show no text: Qt::CheckStateRole is Checked for "Y"
//    only, and setting it writes "Y" or "N".
//  - Qt::ToolTipRole of a data cell is its text; of a header, its hint.
//  - A cell of a compiled row whose value the device cannot hold (see
//    DeviceLimits.h) carries the warning mark (Qt::DecorationRole), and its
//    tool tip says the limit below the text.
class SnmpTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SnmpTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces every row at once (rows.size() must be SnmpMaxRows): a model
    // reset, as when a document is read or a file imported.
    void setRows(const QVector<SnmpRequest>& rows);
    const QVector<SnmpRequest>& rows() const { return m_rows; }

    // The edits of the undo commands (USnmpTableCommands.h).  None of them
    // reports cellEdited; each tells the views exactly what changed:
    // dataChanged for each run of changed cells in a row (and for the marks
    // of a row whose Enable changed), rowsRemoved and rowsInserted for rows
    // that move.  The views keep their current cell where rows do not move.
    //
    // One cell; nothing happens when it already holds the text.
    void setCellText(int row, int column, const QString& text);
    // The rows that differ from the given ones (rows.size() must be
    // SnmpMaxRows); all are changed before the first signal.
    void replaceRows(const QVector<SnmpRequest>& rows);
    // Puts a request at row 0..511, the rows from there on moving down one:
    // the last row falls off the table and is returned.
    SnmpRequest insertRequest(int row, const SnmpRequest& request);
    // Takes the request at row 0..511 out and returns it, the rows after it
    // moving up one: `appended` becomes the last row.
    SnmpRequest removeRequest(int row, const SnmpRequest& appended);
    // Says that a row number kept from before may now name another request:
    // a row pasted whole (or such a paste undone).  insertRequest and
    // removeRequest say it themselves; a model reset says as much.
    void announceRowsRenumbered() { emit rowsRenumbered(); }

signals:
    // A cell (row 0..511, column 1..16) was changed through setData: the
    // dialog records it as a step of undo.
    void cellEdited(int row, int column, const QString& before, const QString& after);
    // See announceRowsRenumbered.
    void rowsRenumbered();

public:

    // 17 column captions (column 0 first) and 16 hints (column 1 first).
    void setHeaders(const QStringList& captions, const QStringList& hints);

    // The mark of a value beyond the device's limits (an icon, given by the
    // window) and the texts of its hints; without them nothing is marked.
    void setLimitMark(const QVariant& icon, const LangTable* lang);

private:
    // The hint index of a cell beyond a limit in a row the compile takes; 0
    // for every other cell.
    int limitHint(int row, int column) const;
    // dataChanged for a changed cell; the Enable cell decides the marks of
    // its whole row.
    void cellChanged(int row, int column);
    // dataChanged for the cells of a row that differ from `before`.
    void rowChanged(int row, const SnmpRequest& before);
    void marksChanged(int row);

    QVector<SnmpRequest> m_rows;
    QStringList m_captions;
    QStringList m_hints;
    QVariant m_limitIcon;
    const LangTable* m_lang = nullptr;
};

} // namespace kv
