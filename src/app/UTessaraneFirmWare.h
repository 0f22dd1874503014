#pragma once
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "state/AppState.h"
#include "common/UServices.h"

class TFNew_Project;
class TFOpenConf;
class TFAbout;
class TFSoftOptions;
class TFParGen;
class TFSNMPManagerAccess;
class TFBoot;
class TFProfinetFileName;

// The main window: the numbered steps, the open configuration, the settings.
class TFTessaraneFirmWare : public QWidget {
    Q_OBJECT
public:
    // Runs the start-up (workspace, settings, language, labels) and creates
    // every dialog, in the order the configurator always has.
    TFTessaraneFirmWare(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    ~TFTessaraneFirmWare() override;

    void Set_Lang();
    void Set_Files();
    // Writes Tessaran.xml; reports a failure in a message box.
    void Save_Setting();
    void Btn_Click(QPushButton* button);
    void Create_New_Project();
    void Open_Project();
    void Update_Device();
    void PROFINET_XML();
    // Loads the language of that name without storing it as the chosen one,
    // then relabels every live window (Change_Language).
    void ApplyLanguage(const QString& name);
    void Change_Language();
    // Enables Timer_Update exactly when internet access and the update check
    // are both allowed.
    void ApplyTimerRule();
    void Timer_UpdateTimer();
    void L_TolvexClick();

    QTimer* Timer_Update() const { return m_timerUpdate; }
    TFNew_Project* newProjectDialog() const { return m_newProject; }
    TFOpenConf* openDialog() const { return m_openConf; }
    TFAbout* aboutDialog() const { return m_about; }
    TFSoftOptions* optionsDialog() const { return m_options; }
    TFParGen* parGenDialog() const { return m_parGen; }
    TFSNMPManagerAccess* snmpDialog() const { return m_snmp; }
    TFBoot* bootDialog() const { return m_boot; }
    TFProfinetFileName* profinetNameDialog() const { return m_profinetName; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QPushButton* stepButton(const char* name, int left, int top, int glyph);
    QPushButton* iconButton(const char* name, int left, int glyph);
    QLabel* label(const char* name, int left, int top, bool bold = false);
    void showConfigurationLabels();

    kv::AppState& m_state;
    kv::UiServices& m_services;
    QTimer* m_timerUpdate = nullptr;

    QLabel* L_SW_Code = nullptr;
    QLabel* L_SW_Desc = nullptr;
    QLabel* LL_Update = nullptr;
    QLabel* L_Name_Conf = nullptr;
    QLabel* L_Name_Conf_L2 = nullptr;
    QLabel* L_Begin = nullptr;
    QLabel* L_Step[9] = {};
    QLabel* L_Tolvex = nullptr;
    QPushButton* Btn_Info = nullptr;
    QPushButton* Btn_Opz = nullptr;
    QPushButton* Btn_Close = nullptr;
    QPushButton* Btn_New = nullptr;
    QPushButton* Btn_Open = nullptr;
    QPushButton* Btn_Prm_Gen = nullptr;
    QPushButton* Btn_SNMP_Manager_Access = nullptr;
    QPushButton* Btn_PROFINET_XML = nullptr;
    QPushButton* Btn_CreateBin = nullptr;

    TFNew_Project* m_newProject = nullptr;
    TFOpenConf* m_openConf = nullptr;
    TFAbout* m_about = nullptr;
    TFSoftOptions* m_options = nullptr;
    TFParGen* m_parGen = nullptr;
    TFSNMPManagerAccess* m_snmp = nullptr;
    TFBoot* m_boot = nullptr;
    TFProfinetFileName* m_profinetName = nullptr;
};
