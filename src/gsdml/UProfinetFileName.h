#pragma once
#include <QDialog>

#include "app/AppState.h"
#include "common/UServices.h"

// PLACEHOLDER dialog: replaced by the work that builds it.
class TFProfinetFileName : public QDialog {
    Q_OBJECT
public:
    TFProfinetFileName(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();
    QString Name_File_XML() const { return m_name; }
    // Folder choice, overwrite question and the writer.
    void Save_Profinet_XML(const QString& fileName);
private:
    QString m_name;
private:
    kv::AppState& m_state;
    kv::UiServices& m_services;
};
