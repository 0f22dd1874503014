#pragma once
#include <QDate>
#include <QDialog>

#include "state/AppState.h"
#include "common/UServices.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Names the GSDML file: two fixed parts around what the user types, then the
// folder choice, the overwrite question and the writer.
class TFProfinetFileName : public QDialog {
    Q_OBJECT
public:
    TFProfinetFileName(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    // The date part is fixed when the dialog is created; tests pass their own.
    TFProfinetFileName(kv::AppState& state, kv::UiServices& services, const QDate& today, QWidget* parent = nullptr);

    // Labels the dialog; only at creation, so a language change made later
    // shows here after the next start.
    void Set_Lang();
    void Btn_OK_Click();
    QString Name_File_XML() const { return m_name; }
    // Folder choice, overwrite question and the writer.
    void Save_Profinet_XML(const QString& fileName);

    static QString FixedPart1();
    static QString FixedPart2(const QDate& date);
    // The file name for a user part, used as typed unless it is blank.
    static QString ComposeName(const QString& fixed1, const QString& user, const QString& fixed2);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const QDate& today);
    QWidget* messageOwner();

    kv::AppState& m_state;
    kv::UiServices& m_services;
    QString m_name;

    QLabel* L_SW_Desc = nullptr;
    QLabel* L_Select_Name = nullptr;
    QLabel* L_FixPart_1 = nullptr;
    QLabel* L_XML_Fix1 = nullptr;
    QLabel* L_UsedPart = nullptr;
    QLineEdit* E_XML_User = nullptr;
    QLabel* L_FixPart_2 = nullptr;
    QLabel* L_XML_Fix2 = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
};
