#pragma once
#include <QDialog>

#include "state/AppState.h"
#include "common/UServices.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Creates a configuration: a directory in PROJECTS with its bin folder.
class TFNew_Project : public QDialog {
    Q_OBJECT
public:
    TFNew_Project(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();
    void Btn_OKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    kv::AppState& m_state;
    kv::UiServices& m_services;
    QLabel* L_SW_Desc = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* E_New_Proj = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
};
