#pragma once
#include <QDialog>

#include "requests/SnmpRequests.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpWalk.h"
#include "state/AppState.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// Walks the agent of one request row and lets the engineer choose an object
// for the row's OID.  The walk starts when the window opens, from a start
// OID that can be changed and walked again; a filter narrows the list.
class TFSnmpBrowser : public QDialog {
    Q_OBJECT
public:
    // Shows the browser for row `number` (1..512) modally; the chosen
    // object's numeric OID, or an empty text.
    static QString choose(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent, const kv::SnmpRequest& row,
                          int number);

    TFSnmpBrowser(kv::AppState& state, kv::ISnmpClient& client, const kv::SnmpRequest& row, int number,
                  QWidget* parent = nullptr);
    void Set_Lang();

    // Walks from the start OID box again (the list starts empty).
    void Btn_WalkClick();
    void Btn_StopClick();
    // The object under the cursor becomes the choice, and the window closes.
    void Btn_OKClick();
    QString chosenOid() const { return m_chosen; }
    kv::SnmpWalk& walk() { return m_walk; }
    // Objects found / shown through the filter.
    int objectCount() const;
    int shownCount() const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addObjects(const QVector<kv::SnmpObject>& objects);
    void walkEnded(kv::SnmpWalk::End end);
    void showCount();
    void setWalking(bool on);

    kv::AppState& m_state;
    kv::SnmpWalk m_walk;
    kv::SnmpTarget m_target;
    int m_number = 0;
    bool m_canWalk = false;
    bool m_started = false;
    QString m_chosen;
    QString m_endText;

    QLabel* L_SW_Desc = nullptr;
    QLabel* L_Agent = nullptr;
    QLabel* L_StartOid = nullptr;
    QLineEdit* E_StartOid = nullptr;
    QPushButton* Btn_Walk = nullptr;
    QPushButton* Btn_Stop = nullptr;
    QLabel* L_Filter = nullptr;
    QLineEdit* E_Filter = nullptr;
    QTableView* TV_Objects = nullptr;
    QLabel* L_Count = nullptr;
    QLabel* L_Status = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
    QStandardItemModel* m_objects = nullptr;
    QSortFilterProxyModel* m_filter = nullptr;
};
