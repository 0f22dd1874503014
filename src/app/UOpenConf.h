#pragma once
#include <QDialog>

#include "state/AppState.h"
#include "common/UServices.h"

class QLabel;
class QListWidget;
class QPushButton;

// Lists the configurations in PROJECTS and picks one to open.
class TFOpenConf : public QDialog {
    Q_OBJECT
public:
    TFOpenConf(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();
    // The chosen configuration; empty when none.
    QString Name_Conf() const { return m_nameConf; }
    void Load_Existing_Configuration();
    int Search_Open_Conf(const QString& name) const;
    void ListBox1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    kv::AppState& m_state;
    kv::UiServices& m_services;
    QString m_nameConf;
    QLabel* L_SW_Desc = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
};
