#pragma once
#include <QDialog>
#include <pugixml.hpp>

#include <memory>

#include "state/AppState.h"
#include "common/UServices.h"
#include "update/IcmpEcho.h"
#include "update/PingJob.h"
#include "update/UpdateJob.h"

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

    // Starts the ping of the address of the four boxes; its end comes to
    // PingFinished.  Sets ping_res to 0.
    void Send_Ping();
    // After every echo of the ping: sets ping_res.
    void PingReply(kv::IEchoClient::Result result);
    // The rest of an update once its ping ended by itself: the message of a
    // device not found, or the job file and the updater.
    void PingFinished(bool found);
    // Checks the files the job names, then starts the ping; returns at once.
    void Btn_UpdateClick();
    // True from the press of Btn_Update until its ping ends or is cancelled.
    bool Pinging() const { return m_pinging; }
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

signals:
    // A press of Btn_Update has run its course (its message shown, or the
    // updater started and awaited); not after Cancel.
    void updateEnded();

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
    kv::UpdateJobInput jobInput() const;
    bool jobFilesExist();

    kv::AppState& m_state;
    kv::UiServices& m_services;
    pugi::xml_document XML1;
    QString m_pingError;
    bool m_pinging = false;
    std::unique_ptr<kv::PingJob> m_ping;

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
