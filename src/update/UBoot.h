#pragma once
#include <QDialog>
#include <pugixml.hpp>

#include "state/AppState.h"
#include "common/UServices.h"
#include "update/IcmpEcho.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The update dialog of step 5: the device address, what to update, the ping
// of the device, the updater's job file and the start of the updater.
class TFBoot : public QDialog {
    Q_OBJECT
public:
    TFBoot(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();

    // Pings the address of the four boxes; true when the last echo got a
    // reply.  Leaves ping_res set.
    bool Send_Ping();
    void PingReply(kv::IEchoClient::Result result);
    void Btn_UpdateClick();
    // Writes the updater's job file from the dialog's values; false with the
    // file name and reason in *error.
    bool Compile_XML_Parameter(QString* error = nullptr);
    // The address as the four boxes hold it, joined with ".".
    QString AddressText() const;

    int Form_Type = 1;
    // 0 no reply yet (or the ping failed), 1 the last echo got a reply,
    // 2 the last echo timed out.
    int ping_res = 0;
    // Reason of the last echo error, shown under message 1037.
    QString PingError() const { return m_pingError; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void layoutPanels();
    void setPinging(bool on);
    void focusBox(QLineEdit* box);

    kv::AppState& m_state;
    kv::UiServices& m_services;
    pugi::xml_document XML1;
    QString m_pingError;
    bool m_pinging = false;
    bool m_pingCancelled = false;

    QWidget* P_Title = nullptr;
    QWidget* P_IP_Address = nullptr;
    QWidget* P_Options = nullptr;
    QWidget* P_Button = nullptr;
    QLabel* L_SW_Code = nullptr;
    QLabel* L_SW_Desc = nullptr;
    QLabel* L_IP_Address = nullptr;
    QLineEdit* E_IP1 = nullptr;
    QLineEdit* E_IP2 = nullptr;
    QLineEdit* E_IP3 = nullptr;
    QLineEdit* E_IP4 = nullptr;
    QLabel* L_Update_Option = nullptr;
    QComboBox* CB_Update_Options = nullptr;
    QCheckBox* CB_Update_Option_Read_Back = nullptr;
    QPushButton* Btn_Cancel = nullptr;
    QPushButton* Btn_Update = nullptr;
};
