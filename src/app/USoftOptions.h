#pragma once
#include <QDialog>
#include <QStringList>

#include "state/AppState.h"
#include "common/UServices.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

// The software options: language pages, internet and update check, table
// behaviours.
class TFSoftOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr int LanguagesPerPage = 6;
    static constexpr int FlagSide = 48;

    TFSoftOptions(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();

    // Handlers, public so that tests drive them the way a click would.
    void FormShow();
    void Create_Lang_List();
    void Update_Lang_Page(int Num_Page);
    void Update_CheckBox();
    // next = true for Btn_Next, false for Btn_Prev.
    void Btn_NextClick(bool next);
    // slot = 1..6, the picture or label clicked.
    void LangClick(int slot);
    void Btn_Check_UpdateClick();
    void LL_Check_UpdateLinkClick(const QString& link);
    void Btn_OKClick();

    const QStringList& SL_Languages() const { return m_languages; }
    int Show_Page() const { return m_showPage; }
    int PageCount() const { return (int(m_languages.size()) + 5) / LanguagesPerPage; }
    QString Language_In_Use() const { return m_languageInUse; }
    bool CheckRunning() const { return m_checkRunning; }

signals:
    // The user confirmed another language: the main window applies it.
    void languageChosen(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void showFlag(QLabel* picture, const QString& languageName);

    kv::AppState& m_state;
    kv::UiServices& m_services;

    QStringList m_languages;   // SL_Languages
    int m_showPage = 1;        // Show_Page
    QString m_languageInUse;   // Language_In_Use
    bool m_checkRunning = false;
    int m_showCount = 0;       // tells an answer from an earlier showing apart

    QLabel* L_SW_Code = nullptr;
    QLabel* L_SW_Desc = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TS_Language = nullptr;
    QWidget* TS_Con_Options = nullptr;
    QWidget* TS_Soft_Settings = nullptr;
    QLabel* L_Sel_Lang = nullptr;
    QLabel* I_L[LanguagesPerPage] = {};
    QLabel* L_L[LanguagesPerPage] = {};
    QPushButton* Btn_Prev = nullptr;
    QLabel* L_Page_Lang = nullptr;
    QPushButton* Btn_Next = nullptr;
    QCheckBox* CB_En_Con = nullptr;
    QCheckBox* CB_Update = nullptr;
    QPushButton* Btn_Check_Update = nullptr;
    QLabel* LL_Check_Update = nullptr;
    QCheckBox* CB_Soft_Set_Jump_Table = nullptr;
    QCheckBox* CB_DoubleClick_Auto_Size = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
};
