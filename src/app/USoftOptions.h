#pragma once
#include <QDialog>

#include "app/AppState.h"
#include "common/UServices.h"

// PLACEHOLDER dialog: replaced by the work that builds it.
class TFSoftOptions : public QDialog {
    Q_OBJECT
public:
    TFSoftOptions(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();
signals:
    // The user confirmed another language: the main window applies it.
    void languageChosen(const QString& name);
public:
private:
    kv::AppState& m_state;
    kv::UiServices& m_services;
};
