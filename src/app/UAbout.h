#pragma once
#include <QDialog>

#include "app/AppState.h"
#include "common/UServices.h"

// PLACEHOLDER dialog: replaced by the work that builds it.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    TFAbout(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();

private:
    kv::AppState& m_state;
    kv::UiServices& m_services;
};
