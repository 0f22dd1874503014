#pragma once
#include "common/UOwnedWindow.h"

#include "requests/SnmpTools.h"
#include "snmp/MibLibrary.h"
#include "state/AppState.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace kv {
class MibTreeModel;
class MibTreeFilter;
}

// The objects of the loaded MIB modules, without an agent: the modules and
// their tree on the left with a search over names, OIDs and descriptions,
// the chosen object's definition on the right.  "Add to table" fills rows of
// the request table with the chosen scalars and table columns.  Modeless
// over the request dialog and closed with it; it keeps a copy of the tree,
// taken again when the library has been read again.
class TFMibTree : public kv::OwnedWindow {
    Q_OBJECT
public:
    // Shows the window over parent (an open one is brought to the front).
    static TFMibTree* showFor(kv::AppState& state, QWidget* parent, kv::ISnmpRowSink* sink);

    TFMibTree(kv::AppState& state, kv::ISnmpRowSink* sink, QWidget* parent = nullptr);
    ~TFMibTree() override;
    void Set_Lang();

    // Takes a copy of the loaded tree again when the library was read again
    // since the last one.
    void refreshTree();
    // Shows the objects whose name, OID or description holds `text` (case
    // ignored), with the path to each opened; an empty text shows all.
    void search(const QString& text);
    // Selects the object of this numeric OID (and makes it current); false
    // when the tree does not list it as shown now.
    bool selectOid(const QString& oid, bool add = false);
    // The objects shown now (not counting modules).
    int shownCount() const;
    // The OIDs of the objects shown now, in tree order.
    QStringList shownOids() const;
    // Fills rows with the chosen objects through the sink.
    void Btn_AddClick();

protected:
    void changeEvent(QEvent* event) override;

private:
    void currentChanged();
    void showDetails(const QString& oid);
    void updateAddButton();
    void showCount();

    kv::AppState& m_state;
    kv::ISnmpRowSink* m_sink;
    int m_generation = -1;

    kv::MibTreeModel* m_model = nullptr;
    kv::MibTreeFilter* m_filter = nullptr;

    QLabel* L_SW_Desc = nullptr;
    QLineEdit* E_Search = nullptr;
    QTreeView* TV_Mib = nullptr;
    QLabel* L_Count = nullptr;
    QLabel* L_Name = nullptr;
    QLabel* L_OidCaption = nullptr;
    QLabel* L_Oid = nullptr;
    QLabel* L_SyntaxCaption = nullptr;
    QLabel* L_Syntax = nullptr;
    QLabel* L_AccessCaption = nullptr;
    QLabel* L_Access = nullptr;
    QLabel* L_StatusCaption = nullptr;
    QLabel* L_Status = nullptr;
    QLabel* L_UnitsCaption = nullptr;
    QLabel* L_Units = nullptr;
    QLabel* L_DescriptionCaption = nullptr;
    QPlainTextEdit* M_Description = nullptr;
    QLabel* L_Index = nullptr;
    QLineEdit* E_Index = nullptr;
    QPushButton* Btn_Add = nullptr;
    QPushButton* Btn_Close = nullptr;
};
