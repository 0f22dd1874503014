#pragma once
#include <QRect>
#include <QUndoCommand>
#include <QVector>

#include "requests/SnmpRequests.h"

namespace kv {

class SnmpTableModel;

// The steps of undo of the request table: one class per kind of edit, each
// acting on the table model alone (never on a window), so that every view of
// the model (the grid, the results of a test, the data map) follows the edit,
// its undo and its redo through the model's signals.
//
// No widget is used here.  The file is a window unit all the same because
// QUndoCommand belongs to Qt GUI, which the core libraries do not link: the
// command line links them, and with a static Qt, Qt GUI would bring its
// platform plugin into it.  The edits themselves (what changes, which
// signals say so) are SnmpTableModel's.
class SnmpTableCommand : public QUndoCommand {
public:
    // The cells (model rows and columns) the grid shows after an undo or a
    // redo: where the edit was made.
    QRect shownCells() const { return m_shown; }

protected:
    SnmpTableCommand(SnmpTableModel* model, const QString& text, const QRect& shown);
    SnmpTableModel* m_model;

private:
    QRect m_shown;
};

// One cell typed, picked from a list, toggled, or an OID chosen in the
// browser.  Pushed after the model already holds the new text (the grid's
// editor wrote it) as well as before: a redo that finds the text in place
// changes nothing.
class SnmpCellCommand : public SnmpTableCommand {
public:
    SnmpCellCommand(SnmpTableModel* model, int row, int column, const QString& before, const QString& after);
    void undo() override;
    void redo() override;

private:
    int m_row, m_column;
    QString m_before, m_after;
};

// A block of cells pasted: the table before and after (strings are shared,
// so a copy of the table is small).  Only the cells that differ change.
class SnmpPasteCellsCommand : public SnmpTableCommand {
public:
    SnmpPasteCellsCommand(SnmpTableModel* model, const QString& text, const QVector<SnmpRequest>& before,
                          const QVector<SnmpRequest>& after, const QRect& shown);
    void undo() override;
    void redo() override;

private:
    QVector<SnmpRequest> m_before, m_after;
};

// The whole table replaced by a file read: the model is reset.
class SnmpImportCommand : public SnmpTableCommand {
public:
    SnmpImportCommand(SnmpTableModel* model, const QString& text, const QVector<SnmpRequest>& before,
                      const QVector<SnmpRequest>& after, const QRect& shown);
    void undo() override;
    void redo() override;

private:
    QVector<SnmpRequest> m_before, m_after;
};

// An empty row inserted at `row`: the rows below move down one and the last
// falls off, to come back with the undo.
class SnmpInsertRowCommand : public SnmpTableCommand {
public:
    SnmpInsertRowCommand(SnmpTableModel* model, const QString& text, int row, const QRect& shown);
    void undo() override;
    void redo() override;

private:
    int m_row;
    SnmpRequest m_fallen;
};

// The row at `row` deleted: the rows below move up one and an empty row
// ends the table.
class SnmpDeleteRowCommand : public SnmpTableCommand {
public:
    SnmpDeleteRowCommand(SnmpTableModel* model, const QString& text, int row, const QRect& shown);
    void undo() override;
    void redo() override;

private:
    int m_row;
    SnmpRequest m_removed;
};

// A copied row pasted over the row at `row`: its changed cells change, and
// the row may now be another request (rowsRenumbered).
class SnmpPasteRowCommand : public SnmpTableCommand {
public:
    SnmpPasteRowCommand(SnmpTableModel* model, const QString& text, int row, const SnmpRequest& pasted,
                        const QRect& shown);
    void undo() override;
    void redo() override;

private:
    void put(const SnmpRequest& request);
    int m_row;
    SnmpRequest m_before, m_after;
};

} // namespace kv
