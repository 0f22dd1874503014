#pragma once
#include <QDialog>
#include <QVector>

#include "state/AppState.h"
#include "common/UServices.h"
#include "commparams/CommParams.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Step 2: the communication parameters of the open configuration, edited in
// two collapsible groups (SNMP Manager and PROFINET) and written to
// ParGen.xml on OK once the data check passes.
class TFParGen : public QDialog {
    Q_OBJECT
public:
    TFParGen(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();

    // Loads ParGen.xml first; a file that cannot be read is reported and the
    // dialog is not shown (Rejected).
    int exec() override;
    void setVisible(bool visible) override;

    // Fills the controls from the file; false (after an error box) when the
    // file exists but cannot be read.
    bool FormShow();
    void FormActivate();
    void Move_GroupBoxs();
    void Collapse_Expand_Creation();
    void Btn_GB_Collapse(QPushButton* button);
    void Btn_GB_Expande(QPushButton* button);
    void Btn_OKClick();
    void Btn_CancelClick();

    // The record the controls hold now.
    kv::CommParams Params() const;
    bool IsChanged() const { return Is_Change; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Binding {
        QLineEdit* edit;
        QString kv::CommParams::*field;
    };

    QLineEdit* addEdit(QWidget* group, const char* name, int left, int top, int width, QString kv::CommParams::*field);
    void addOctetRow(QWidget* group, const char* const names[4], int top, QString kv::CommParams::* const fields[4],
                     QVector<QLineEdit*>& sequence);
    void addDots(QWidget* group, int top);
    void On_Change();
    void On_Click();
    void forceLowerCase(const QString& text);
    // The marker beside the PROFINET name while the name breaks a naming rule.
    void updateNameWarning();
    // The markers beside the two masks while one is no subnet mask.
    void updateMaskWarnings();
    bool canTakeFocus(const QWidget* w) const;

    kv::AppState& m_state;
    kv::UiServices& m_services;

    bool Is_Change = false;
    bool GB_SNMP_Manager_Visible = true;
    bool GB_PROFINET_Visible = true;
    bool m_loadedForShow = false;
    // The PROFINET name as it stood before the last edit.
    QString m_profinetNameBefore;

    QVector<Binding> m_bindings;
    QVector<QLineEdit*> m_snmpOctets;     // hopping order of the SNMP Manager group
    QVector<QLineEdit*> m_profinetOctets; // hopping order of the PROFINET group

    QLabel* L_SW_Desc = nullptr;

    QGroupBox* GB_SNMP_Manager = nullptr;
    QLabel* L_SNMP_Manager_IP_Add = nullptr;
    QLabel* L_SNMP_Manager_SM_Add = nullptr;
    QLabel* L_SNMP_Manager_SM_Warning = nullptr;
    QLabel* L_SNMP_Manager_Name_Station = nullptr;
    QCheckBox* CB_SNMP_Manager_En_GAT = nullptr;
    QLineEdit* E_SNMP_Manager_Name_Station = nullptr;
    QPushButton* Btn_SNMP_Manager_Collapse = nullptr;
    QPushButton* Btn_SNMP_Manager_Expande = nullptr;

    QGroupBox* GB_PROFINET = nullptr;
    QLabel* L_PROFINET_IP_Add = nullptr;
    QLabel* L_PROFINET_Subnet_Mask = nullptr;
    QLabel* L_PROFINET_SM_Warning = nullptr;
    QLabel* L_PROFINET_Port = nullptr;
    QLabel* L_PROFINET_Name_Station = nullptr;
    QLabel* L_PROFINET_Name_Warning = nullptr;
    QLabel* L_PROFINET_Byte_IN = nullptr;
    QLabel* L_PROFINET_Byte_OUT = nullptr;
    QCheckBox* CB_PROFINET_Gat_En = nullptr;
    QLineEdit* E_PROFINET_Port = nullptr;
    QLineEdit* E_PROFINET_Name_Station = nullptr;
    QLineEdit* E_NB_IN_PROFINET = nullptr;
    QLineEdit* E_NB_OUT_PROFINET = nullptr;
    QPushButton* Btn_PROFINET_Collapse = nullptr;
    QPushButton* Btn_PROFINET_Expande = nullptr;

    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
};
