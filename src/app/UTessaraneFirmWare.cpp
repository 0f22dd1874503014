#include "app/UTessaraneFirmWare.h"

#include "app/UAbout.h"
#include "app/UNew_Project.h"
#include "app/UOpenConf.h"
#include "app/USoftOptions.h"
#include "app/VersionCheck.h"
#include "common/UStyle.h"
#include "common/Vendor.h"
#include "compiler/Compiler.h"
#include "commparams/UParGen.h"
#include "requests/USNMPManagerAccess.h"
#include "gsdml/UProfinetFileName.h"
#include "lang/Language.h"
#include "update/UBoot.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QPainter>

using kv::Glyph;

namespace {

// Text indices of the main window.
enum : int {
    TxtNoConfiguration = 9,
    TxtNoConfigurationHelp = 10,
    TxtOpenedConfiguration = 11,
    TxtProjectNotValid = 18,
    TxtNewVersion = 19,
    TxtSettingsNotSaved = 40,
    TxtErrorTitle = 41,
    TxtWarningTitle = 42,
    TxtQuestionTitle = 43,
    TxtOkButton = 44,
    TxtYesButton = 45,
    TxtNoButton = 46,
};

constexpr int kClientWidth = 694;
constexpr int kCreateBinTop = 288;

// A square button that shows only its glyph (information, options, close).
class IconButton : public kv::StyledButton {
public:
    // The base button draws the frame only; the glyph fills the button.
    IconButton(const QString& name, QWidget* parent, Glyph g)
        : kv::StyledButton(name, parent, Glyph::None)
        , m_g(g)
    {
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        kv::StyledButton::paintEvent(e);
        QPainter p(this);
        kv::PaintGlyph(p, QRectF(rect()).adjusted(9, 9, -9, -9), m_g, isEnabled());
    }

private:
    Glyph m_g;
};

} // namespace

TFTessaraneFirmWare::TFTessaraneFirmWare(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_services(services)
{
    // FormCreate
    kv::ApplyCommonLook(this);
    buildLayout();

    m_state.CreateWorkspace();
    m_state.Settings.ActiveProjectName.clear();
    if (QFileInfo::exists(m_state.SettingsPath()))
        m_state.Settings = kv::ReadSettings(m_state.SettingsPath());
    else
        m_state.Settings = kv::AppSettings();
    m_state.ActiveProjectDir.clear();

    m_timerUpdate = new QTimer(this);
    m_timerUpdate->setObjectName(QStringLiteral("Timer_Update"));
    m_timerUpdate->setInterval(60000);
    connect(m_timerUpdate, &QTimer::timeout, this, &TFTessaraneFirmWare::Timer_UpdateTimer);
    ApplyTimerRule();

    setWindowTitle(QStringLiteral("TolvexNet - Configurator KV52013 - PROFINET / SNMP Manager"));
    L_SW_Code->setText(kv::SoftwareCode);
    L_SW_Code->adjustSize();
    L_SW_Desc->setText(kv::SoftwareDescription);
    L_SW_Desc->adjustSize();

    kv::LoadLanguage(m_state.Lang, m_state.Settings.LanguageName, m_state.LanguageDir, m_state.LangFileVersion);

    const QString remembered = m_state.Settings.ActiveProjectName;
    if (!remembered.isEmpty() && QFileInfo(m_state.ProjectsDir + QLatin1Char('/') + remembered).isDir())
        m_state.ActiveProjectDir = m_state.ProjectsDir + QLatin1Char('/') + remembered;
    else
        m_state.ActiveProjectDir.clear(); // the name stays and is saved again at close
    showConfigurationLabels();

    Set_Lang();
    Set_Files();
    m_state.RowCopyBuffer.clear();

    // Every dialog is created once, in this order, and lives as long as the
    // main window.
    m_newProject = new TFNew_Project(m_state, m_services, this);
    m_openConf = new TFOpenConf(m_state, m_services, this);
    m_about = new TFAbout(m_state, m_services, this);
    m_options = new TFSoftOptions(m_state, m_services, this);
    connect(m_options, &TFSoftOptions::languageChosen, this, &TFTessaraneFirmWare::ApplyLanguage);
    m_parGen = new TFParGen(m_state, m_services, this);
    m_snmp = new TFSNMPManagerAccess(m_state, m_services, this);
    m_boot = new TFBoot(m_state, m_services, this);
    m_profinetName = new TFProfinetFileName(m_state, m_services, this);
}

TFTessaraneFirmWare::~TFTessaraneFirmWare() = default;

QLabel* TFTessaraneFirmWare::label(const char* name, int left, int top, bool bold)
{
    QLabel* l = kv::NamedLabel(this, name, left, top);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QPushButton* TFTessaraneFirmWare::stepButton(const char* name, int left, int top, int glyph)
{
    auto* b = new kv::StyledButton(QLatin1String(name), this, Glyph(glyph));
    b->setGeometry(left, top, 170, 36);
    connect(b, &QPushButton::clicked, this, [this, b] { Btn_Click(b); });
    return b;
}

QPushButton* TFTessaraneFirmWare::iconButton(const char* name, int left, int glyph)
{
    auto* b = new IconButton(QLatin1String(name), this, Glyph(glyph));
    b->setGeometry(left, 8, 50, 50);
    connect(b, &QPushButton::clicked, this, [this, b] { Btn_Click(b); });
    return b;
}

void TFTessaraneFirmWare::buildLayout()
{
    setFixedSize(kClientWidth, kCreateBinTop + 152);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    L_SW_Code = label("L_SW_Code", 16, 8);
    kv::StyleCodeLabel(L_SW_Code);
    L_SW_Desc = label("L_SW_Desc", 16, 42);
    kv::StyleDescriptionLabel(L_SW_Desc);

    LL_Update = label("LL_Update", 208, 19);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setOpenExternalLinks(false);
    LL_Update->setCursor(Qt::PointingHandCursor);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, [this](const QString& link) {
        if (m_services.urls)
            m_services.urls->openUrl(QUrl(link));
    });

    Btn_Info = iconButton("Btn_Info", 516, int(Glyph::Info));
    Btn_Opz = iconButton("Btn_Opz", 574, int(Glyph::Options));
    Btn_Close = iconButton("Btn_Close", 632, int(Glyph::Close));

    auto* shape2 = new QFrame(this);
    shape2->setObjectName(QStringLiteral("Shape2"));
    shape2->setGeometry(80, 70, 348, 36);
    shape2->setStyleSheet(QStringLiteral("#Shape2 { border: 1px solid silver; }"));
    L_Name_Conf = label("L_Name_Conf", 87, 75);
    L_Name_Conf_L2 = label("L_Name_Conf_L2", 87, 88);

    L_Begin = label("L_Begin", 16, 84, true);
    const int stepTops[6] = {0, 128, 172, 216, 260, 304};
    for (int i = 1; i <= 8; ++i) {
        const QByteArray n = "L_Step_" + QByteArray::number(i);
        L_Step[i] = label(n.constData(), 16, i <= 5 ? stepTops[i] : 304 + (i - 5) * 44, true);
        L_Step[i]->setVisible(i <= 5);
    }

    Btn_New = stepButton("Btn_New", 80, 112, int(Glyph::New));
    Btn_Open = stepButton("Btn_Open", 258, 112, int(Glyph::Open));
    Btn_Prm_Gen = stepButton("Btn_Prm_Gen", 80, 156, int(Glyph::Params));
    Btn_SNMP_Manager_Access = stepButton("Btn_SNMP_Manager_Access", 80, 200, int(Glyph::Table));
    Btn_PROFINET_XML = stepButton("Btn_PROFINET_XML", 80, 244, int(Glyph::Document));
    Btn_CreateBin = stepButton("Btn_CreateBin", 80, kCreateBinTop, int(Glyph::Update));

    L_Tolvex = label("L_Tolvex", 565, 304, true);
    L_Tolvex->setText(kv::VendorSiteName());
    L_Tolvex->setCursor(Qt::PointingHandCursor);
    {
        QPalette pal = L_Tolvex->palette();
        pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
        L_Tolvex->setPalette(pal);
    }
    L_Tolvex->adjustSize();
    L_Tolvex->installEventFilter(this);

    auto* shape1 = new QFrame(this);
    shape1->setObjectName(QStringLiteral("Shape1"));
    shape1->setGeometry(10, kCreateBinTop + 51, 674, 1);
    shape1->setStyleSheet(QStringLiteral("#Shape1 { background: silver; }"));
}

void TFTessaraneFirmWare::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Btn_Prm_Gen->isEnabled() && Btn_Prm_Gen->isVisible())
        Btn_Prm_Gen->setFocus();
}

void TFTessaraneFirmWare::closeEvent(QCloseEvent* event)
{
    Save_Setting();
    event->accept();
}

bool TFTessaraneFirmWare::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == L_Tolvex && event->type() == QEvent::MouseButtonRelease) {
        L_TolvexClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFTessaraneFirmWare::L_TolvexClick()
{
    if (m_services.urls)
        m_services.urls->openUrl(kv::VendorHomePageUrl());
}

void TFTessaraneFirmWare::Save_Setting()
{
    QString error;
    if (!kv::WriteSettings(m_state.Settings, m_state.SettingsPath(), &error)) {
        if (m_services.messages)
            m_services.messages->error(this, m_state.Text(TxtSettingsNotSaved) + QLatin1Char('\n') + error);
    }
}

void TFTessaraneFirmWare::Set_Files()
{
    m_state.Set_Files();
}

void TFTessaraneFirmWare::showConfigurationLabels()
{
    if (m_state.HasOpenProject()) {
        L_Name_Conf->setText(m_state.Text(TxtOpenedConfiguration));
        L_Name_Conf_L2->setText(m_state.Settings.ActiveProjectName);
    } else {
        L_Name_Conf->setText(m_state.Text(TxtNoConfiguration));
        L_Name_Conf_L2->setText(m_state.Text(TxtNoConfigurationHelp));
    }
    L_Name_Conf->adjustSize();
    L_Name_Conf_L2->adjustSize();
}

void TFTessaraneFirmWare::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    L_Begin->setText(T(0));
    L_Begin->adjustSize();
    for (int i = 1; i <= 8; ++i) {
        L_Step[i]->setText(T(i));
        L_Step[i]->adjustSize();
    }
    Btn_Info->setToolTip(T(12));
    Btn_Opz->setToolTip(T(13));
    Btn_Close->setToolTip(T(14));
    Btn_New->setText(T(15));
    Btn_New->setToolTip(T(27));
    Btn_Open->setText(T(16));
    Btn_Open->setToolTip(T(28));
    Btn_CreateBin->setText(T(17));
    Btn_CreateBin->setToolTip(T(31));
    Btn_Prm_Gen->setText(T(20));
    Btn_Prm_Gen->setToolTip(T(29));
    Btn_SNMP_Manager_Access->setText(T(21));
    Btn_SNMP_Manager_Access->setToolTip(T(30));
    Btn_PROFINET_XML->setText(T(37));
    Btn_PROFINET_XML->setToolTip(T(38));
    // Message boxes speak the language of the windows.
    if (m_services.messages) {
        m_services.messages->setTexts({T(TxtErrorTitle), T(TxtWarningTitle), T(TxtQuestionTitle), T(TxtOkButton),
                                       T(TxtYesButton), T(TxtNoButton)});
    }
}

void TFTessaraneFirmWare::Btn_Click(QPushButton* b)
{
    if (b == Btn_New) {
        Create_New_Project();
    } else if (b == Btn_Open) {
        Open_Project();
    } else if (b == Btn_Close) {
        close();
    } else if (b == Btn_Info) {
        m_about->exec();
    } else if (b == Btn_Opz) {
        if (m_options->exec() == QDialog::Accepted) {
            Save_Setting();
            ApplyTimerRule();
        }
    } else if (b == Btn_Prm_Gen || b == Btn_SNMP_Manager_Access || b == Btn_PROFINET_XML || b == Btn_CreateBin) {
        if (!m_state.HasOpenProject()) {
            m_services.messages->error(this, m_state.Text(TxtProjectNotValid));
            return;
        }
        if (b == Btn_Prm_Gen)
            m_parGen->exec();
        else if (b == Btn_SNMP_Manager_Access)
            m_snmp->exec();
        else if (b == Btn_PROFINET_XML)
            PROFINET_XML();
        else
            Update_Device();
    }
}

void TFTessaraneFirmWare::Create_New_Project()
{
    if (m_newProject->exec() == QDialog::Accepted)
        showConfigurationLabels();
}

void TFTessaraneFirmWare::Open_Project()
{
    if (m_openConf->exec() != QDialog::Accepted)
        return;
    m_state.OpenProject(m_openConf->Name_Conf());
    showConfigurationLabels();
    Set_Files();
}

void TFTessaraneFirmWare::Update_Device()
{
    const kv::CompileOutcome r = kv::CompileProjectToFile(m_state.ParGenPath, m_state.SnmpManagerPath, m_state.BankPath());
    if (!r.ok()) {
        // A stale or missing image must never reach the device.
        m_services.messages->error(this, kv::CompileMessage(r, m_state.Lang));
        return;
    }
    m_boot->Form_Type = 1;
    m_boot->exec();
}

void TFTessaraneFirmWare::PROFINET_XML()
{
    if (m_profinetName->exec() != QDialog::Accepted)
        return;
    m_profinetName->Save_Profinet_XML(m_profinetName->Name_File_XML());
}

void TFTessaraneFirmWare::ApplyLanguage(const QString& name)
{
    const QString stored = m_state.Settings.LanguageName;
    m_state.Settings.LanguageName = name;
    kv::LoadLanguage(m_state.Lang, m_state.Settings.LanguageName, m_state.LanguageDir, m_state.LangFileVersion);
    m_state.Settings.LanguageName = stored;
    Change_Language();
}

void TFTessaraneFirmWare::Change_Language()
{
    Set_Lang();
    m_newProject->Set_Lang();
    m_openConf->Set_Lang();
    m_options->Set_Lang();
    m_parGen->Set_Lang();
    m_snmp->Set_Lang();
}

void TFTessaraneFirmWare::ApplyTimerRule()
{
    if (m_state.Settings.EnableInternet && m_state.Settings.EnableUpdate) {
        if (!m_timerUpdate->isActive()) // enabling an enabled timer keeps its count
            m_timerUpdate->start();
    } else
        m_timerUpdate->stop();
}

void TFTessaraneFirmWare::Timer_UpdateTimer()
{
    m_timerUpdate->stop();
    auto finish = [this](const QString& answer) {
        if (kv::IsNewerVersion(answer)) {
            LL_Update->setText(kv::NewVersionLinkHtml(m_state.Text(TxtNewVersion)));
            LL_Update->adjustSize();
            LL_Update->show();
        } else {
            LL_Update->hide();
        }
        m_timerUpdate->setInterval(7200000);
        // The answer may come after the options dialog turned the check off.
        ApplyTimerRule();
    };
    if (m_services.version)
        m_services.version->query(this, finish);
    else
        finish(QString());
}
