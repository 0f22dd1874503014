#pragma once
#include <QDialog>

#include "state/AppState.h"
#include "common/UServices.h"

class QLabel;
class QPushButton;

// Identifies the configurator: codes, version, the loaded language file's
// version and a link to the vendor.  Its texts are fixed English.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 435;
    static constexpr int ClientHeight = 162;

    TFAbout(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    // The texts do not follow the language: nothing to relabel.
    void Set_Lang() {}

    void FormShow();
    void Label4Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    kv::AppState& m_state;
    kv::UiServices& m_services;

    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* LbButton1 = nullptr;
};
