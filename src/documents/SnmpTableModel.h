#pragma once
#include <QAbstractTableModel>
#include <QStringList>

#include "documents/SnmpRequests.h"

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

    // Replaces every row at once (rows.size() must be SnmpMaxRows).
    void setRows(const QVector<SnmpRequest>& rows);
    const QVector<SnmpRequest>& rows() const { return m_rows; }

    // Changes the model without cellEdited: the undo of a change, and a
    // change recorded as a whole.  The view keeps its current cell; the
    // change is reported for the rows that differ.
    void replaceRows(const QVector<SnmpRequest>& rows);
    // Says that rows were inserted, deleted, pasted whole or read from a
    // file (or such a change undone): a row number kept from before may now
    // name another request.
    void announceRowsRenumbered() { emit rowsRenumbered(); }
    void setCellText(int row, int column, const QString& text);

    // While recording (the default), every change that setData makes is
    // reported through cellEdited.
    void setRecording(bool on) { m_recording = on; }
    bool recording() const { return m_recording; }

signals:
    // A cell (row 0..511, column 1..16) was changed through setData.
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

    QVector<SnmpRequest> m_rows;
    QStringList m_captions;
    QStringList m_hints;
    bool m_recording = true;
    QVariant m_limitIcon;
    const LangTable* m_lang = nullptr;
};

} // namespace kv
