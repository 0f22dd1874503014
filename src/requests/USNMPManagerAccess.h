#pragma once
#include <QDialog>
#include <QRect>
#include <QStringList>

#include "state/AppState.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTools.h"

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStringListModel;
class QTableView;
class QUndoStack;

namespace kv {
class PositionListModel;
class SnmpTableCommand;
class SnmpTableModel;
}

// Step 3: the SNMP Manager request table of the open configuration in an
// editable grid, with delete, insert, copy and paste of rows.  Every showing
// reads SNMP_Manager.xml (and ParGen.xml for the Position choices) again;
// OK checks the table and writes the file.
class TFSNMPManagerAccess : public QDialog, public kv::ISnmpRowSink {
    Q_OBJECT
public:
    TFSNMPManagerAccess(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    ~TFSNMPManagerAccess() override;
    void Set_Lang();

    // Loads the documents, then shows the dialog.  When a document exists but
    // cannot be loaded, an error names it and the dialog does not open.
    int exec() override;

    // Loading part of each showing; false (after the error message) when a
    // document cannot be loaded, leaving the grid as it was.
    bool FormShow();
    // Data check of the grid; shows the first error.
    bool Controllo_dati();

    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    // Key typed in the grid; true when it was consumed.
    bool ACG_SNMPKeyPress(int key);
    // Double click on a grid cell; row 0 is the header row.
    void ACG_SNMPDblClickCell(int row, int column);

    // Beyond the row buttons: cells through the system clipboard, CSV files,
    // and undo of every change made in this showing.
    void CopyCells();
    void PasteCells();
    void ExportTable();
    void ImportTable();
    // Reads the chosen rows from their agents (through UiServices::snmp):
    // the selected rows when whole rows or more than one cell are selected,
    // otherwise every enabled row of the table's content.
    void TestRequests();
    // Walks the current row's agent; the chosen object's OID goes into the
    // row's OID cell as one step of undo.
    void BrowseAgent();
    // Opens the data map of the table beside the grid (or brings it to the front).
    void ShowDataMap();
    // Opens the MIB library's window beside the grid (or brings it to the front).
    void ShowMibLibrary();
    // Opens the MIB tree (through UiServices::snmp), whose objects fill rows.
    void ShowMibTree();
    int AddMibRows(QWidget* window, const QVector<kv::SnmpRowFill>& fills, const QStringList& refused) override;
    // Table rows (1..512) that TestRequests takes now.
    QVector<int> rowsToTest() const;
    QUndoStack* undoStack() const { return m_undo; }
    // The grid's context menu, built afresh (for the current state).
    QMenu* contextMenu() const { return m_menu; }

    // Shows a cell (row 1..512) and selects the block from it to lastRow, lastColumn.
    void showCells(int row, int column, int lastRow, int lastColumn);

    bool Do_Copy_SNMP() const { return m_doCopySnmp; }
    const QStringList& Hint_SNMP() const { return m_hintSnmp; }
    kv::SnmpTableModel* tableModel() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createGrid();
    bool editorOpen() const;
    // Ends an edit in progress so that its text is in the table.
    void commitOpenEditor();
    void showSurplusWarning();
    void createActions();
    void updateNetworkActions();
    void undoOnce();
    void redoOnce();
    QVector<int> visibleColumns() const;
    QString columnName(int column) const;
    // The current cell in model rows and columns (column 1 or more), for a
    // command to show after its undo and redo.
    QRect currentCell() const;
    // Makes an edit as one step of undo; the grid's current cell and
    // selection stay in place.
    void pushEdit(kv::SnmpTableCommand* command);
    // Shows the cells of the command just undone or redone.
    void undoIndexChanged(int index);

    kv::AppState& m_state;
    kv::UiServices& m_services;

    QLabel* L_SW_Code = nullptr;
    QLabel* L_SW_Desc = nullptr;
    QTableView* ACG_SNMP = nullptr;
    QAbstractButton* m_cornerButton = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
    QPushButton* Btn_DelRow = nullptr;
    QPushButton* Btn_InsRow = nullptr;
    QPushButton* Btn_CopyRow = nullptr;
    QPushButton* Btn_PasteRow = nullptr;

    kv::SnmpTableModel* m_model = nullptr;
    kv::PositionListModel* m_positions = nullptr;
    QStringListModel* m_versions = nullptr;
    QStringListModel* m_communities = nullptr;
    QStringListModel* m_types = nullptr;
    QStringListModel* m_modes = nullptr;
    QStringListModel* m_conversions = nullptr;

    QUndoStack* m_undo = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actUndo = nullptr;
    QAction* m_actRedo = nullptr;
    QAction* m_actCopy = nullptr;
    QAction* m_actPaste = nullptr;
    QAction* m_actExport = nullptr;
    QAction* m_actImport = nullptr;
    QAction* m_actTest = nullptr;
    QAction* m_actBrowse = nullptr;
    QAction* m_actDataMap = nullptr;
    QAction* m_actMibLibrary = nullptr;
    QAction* m_actMibTree = nullptr;

    QStringList m_hintSnmp;
    QString m_cornerText;
    bool m_doCopySnmp = false;
    bool m_surplusWarningPending = false;
    bool m_pushing = false;
    int m_undoIndex = 0; // the undo stack's index as last seen
};
