#include "app/USoftOptions.h"

#include "app/VersionCheck.h"
#include "common/UStyle.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QShowEvent>
#include <QTabWidget>
#include <algorithm>

namespace {

enum : int {
    TxtCaption = 300,
    TxtDescription = 301,
    TxtLanguagePage = 302,
    TxtConnectionPage = 303,
    TxtSelectedLanguage = 304,
    TxtPage = 305,
    TxtPageOf = 306,
    TxtPrevious = 307,
    TxtNext = 308,
    TxtEnableInternet = 309,
    TxtCheckAtStart = 310,
    TxtCheckNow = 311,
    TxtOk = 312,
    TxtCancel = 313,
    TxtNewVersion = 314,
    TxtNoUpdate = 315,
    TxtChangeFrom = 316,
    TxtChangeTo = 317,
    TxtChangeEnd = 318,
    TxtSettingsPage = 319,
    TxtJumpTable = 320,
    TxtAutoSize = 321,
};

constexpr int kWidth = 509;
constexpr int kHeight = 373;

const QString kLanguageSuffix = QStringLiteral(".lng");
const QString kDefaultFlag = QStringLiteral("DefaultFlag");

// Slot geometry: pictures and labels of the left and right columns.
constexpr int kPictureLeft[6] = {24, 26, 24, 254, 254, 254};
constexpr int kPictureTop[6] = {40, 94, 148, 40, 94, 148};
constexpr int kLabelLeft[6] = {80, 80, 80, 310, 310, 310};
constexpr int kLabelTop[6] = {56, 110, 164, 56, 110, 164};

// A file the user has made read-only (no write bit for anyone) is left out
// of the list, whoever runs the configurator.
bool isReadOnly(const QFileInfo& info)
{
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return (info.permissions() & write) == 0;
}

QCheckBox* checkBox(const char* name, QWidget* parent, int left, int top)
{
    auto* b = new QCheckBox(parent);
    b->setObjectName(QLatin1String(name));
    b->move(left, top);
    return b;
}

} // namespace

TFSoftOptions::TFSoftOptions(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    // FormCreate
    setObjectName(QStringLiteral("TFSoftOptions"));
    kv::ApplyCommonLook(this);
    buildLayout();
    L_SW_Code->setText(kv::SoftwareCode);
    L_SW_Code->adjustSize();
    Set_Lang();
}

void TFSoftOptions::buildLayout()
{
    setFixedSize(kWidth, kHeight);

    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    title->setGeometry(0, 0, kWidth, kv::TitlePanelHeight);
    L_SW_Code = title->findChild<QLabel*>(QStringLiteral("L_SW_Code"));
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, kv::TitlePanelHeight, kWidth, kHeight - kv::TitlePanelHeight - kv::ButtonPanelHeight);

    // Language page
    TS_Language = new QWidget;
    TS_Language->setObjectName(QStringLiteral("TS_Language"));
    PageControl1->addTab(TS_Language, QString());
    L_Sel_Lang = kv::NamedLabel(TS_Language, "L_Sel_Lang", 12, 11);
    for (int k = 0; k < LanguagesPerPage; ++k) {
        const QByteArray n = QByteArray::number(k + 1);
        I_L[k] = kv::NamedLabel(TS_Language, QByteArray("I_L" + n).constData(), kPictureLeft[k], kPictureTop[k]);
        I_L[k]->setFixedSize(FlagSide, FlagSide);
        I_L[k]->setAlignment(Qt::AlignCenter);
        L_L[k] = kv::NamedLabel(TS_Language, QByteArray("L_L" + n).constData(), kLabelLeft[k], kLabelTop[k]);
        for (QLabel* w : {I_L[k], L_L[k]}) {
            w->setCursor(Qt::PointingHandCursor);
            w->installEventFilter(this);
        }
    }
    Btn_Prev = new kv::StyledButton(QStringLiteral("Btn_Prev"), TS_Language, kv::Glyph::Previous);
    Btn_Prev->setGeometry(12, 204, 110, 28);
    Btn_Prev->setAutoDefault(false);
    connect(Btn_Prev, &QPushButton::clicked, this, [this] { Btn_NextClick(false); });
    L_Page_Lang = kv::NamedLabel(TS_Language, "L_Page_Lang", 220, 212);
    auto* next = new kv::StyledButton(QStringLiteral("Btn_Next"), TS_Language, kv::Glyph::Next);
    next->setGlyphOnRight(true);
    Btn_Next = next;
    Btn_Next->setGeometry(379, 205, 110, 28);
    Btn_Next->setAutoDefault(false);
    connect(Btn_Next, &QPushButton::clicked, this, [this] { Btn_NextClick(true); });

    // Connection options page
    TS_Con_Options = new QWidget;
    TS_Con_Options->setObjectName(QStringLiteral("TS_Con_Options"));
    PageControl1->addTab(TS_Con_Options, QString());
    CB_En_Con = checkBox("CB_En_Con", TS_Con_Options, 12, 16);
    CB_Update = checkBox("CB_Update", TS_Con_Options, 36, 47);
    Btn_Check_Update = new kv::StyledButton(QStringLiteral("Btn_Check_Update"), TS_Con_Options, kv::Glyph::Update);
    Btn_Check_Update->setGeometry(36, 78, 204, 28);
    Btn_Check_Update->setAutoDefault(false);
    connect(Btn_Check_Update, &QPushButton::clicked, this, &TFSoftOptions::Btn_Check_UpdateClick);
    LL_Check_Update = kv::NamedLabel(TS_Con_Options, "LL_Check_Update", 40, 120);
    LL_Check_Update->setOpenExternalLinks(false);
    LL_Check_Update->hide();
    connect(LL_Check_Update, &QLabel::linkActivated, this, &TFSoftOptions::LL_Check_UpdateLinkClick);

    // Software settings page
    TS_Soft_Settings = new QWidget;
    TS_Soft_Settings->setObjectName(QStringLiteral("TS_Soft_Settings"));
    PageControl1->addTab(TS_Soft_Settings, QString());
    CB_Soft_Set_Jump_Table = checkBox("CB_Soft_Set_Jump_Table", TS_Soft_Settings, 12, 16);
    CB_DoubleClick_Auto_Size = checkBox("CB_DoubleClick_Auto_Size", TS_Soft_Settings, 12, 39);

    // CB_En_ConClick: every box re-applies the enabling rule.
    for (QCheckBox* b : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size})
        connect(b, &QCheckBox::toggled, this, &TFSoftOptions::Update_CheckBox);

    // The pages wear the window's colour, not the style's near-white.
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->widget(i)->setAutoFillBackground(true);

    QWidget* buttons = kv::CreateButtonPanel(this);
    buttons->setGeometry(0, kHeight - kv::ButtonPanelHeight, kWidth, kv::ButtonPanelHeight);
    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), buttons, kv::Glyph::Ok);
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_OK->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFSoftOptions::Btn_OKClick);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setGeometry(134, 6, 110, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFSoftOptions::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    PageControl1->setTabText(PageControl1->indexOf(TS_Language), T(TxtLanguagePage));
    PageControl1->setTabText(PageControl1->indexOf(TS_Con_Options), T(TxtConnectionPage));
    PageControl1->setTabText(PageControl1->indexOf(TS_Soft_Settings), T(TxtSettingsPage));
    L_Sel_Lang->setText(T(TxtSelectedLanguage));
    L_Sel_Lang->adjustSize();
    L_Page_Lang->setText(T(TxtPage) + QStringLiteral("1") + T(TxtPageOf) + QStringLiteral("1"));
    L_Page_Lang->adjustSize();
    Btn_Prev->setText(T(TxtPrevious));
    Btn_Next->setText(T(TxtNext));
    CB_En_Con->setText(T(TxtEnableInternet));
    CB_En_Con->adjustSize();
    CB_Update->setText(T(TxtCheckAtStart));
    CB_Update->adjustSize();
    Btn_Check_Update->setText(T(TxtCheckNow));
    CB_Soft_Set_Jump_Table->setText(T(TxtJumpTable));
    CB_Soft_Set_Jump_Table->adjustSize();
    CB_DoubleClick_Auto_Size->setText(T(TxtAutoSize));
    CB_DoubleClick_Auto_Size->adjustSize();
    Btn_OK->setText(T(TxtOk));
    Btn_Cancel->setText(T(TxtCancel));
}

void TFSoftOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFSoftOptions::FormShow()
{
    ++m_showCount;
    m_languageInUse = m_state.Settings.LanguageName;
    Create_Lang_List();
    Update_CheckBox();
    LL_Check_Update->hide();
    PageControl1->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(m_state.Settings.EnableInternet);
    CB_Update->setChecked(m_state.Settings.EnableUpdate);
    CB_Soft_Set_Jump_Table->setChecked(m_state.Settings.EnableJumpFieldTables);
    CB_DoubleClick_Auto_Size->setChecked(m_state.Settings.DoubleClickAutoSize);
    Update_CheckBox(); // a box whose state did not change sent no signal
}

void TFSoftOptions::Create_Lang_List()
{
    m_languages.clear();
    // Regular files only (no directories, no symbolic links, no sockets or
    // devices); hidden files count.  The suffix is matched exactly because
    // the language load asks for "<name>.lng".
    const QDir dir(m_state.LanguageDir);
    const QFileInfoList entries = dir.entryInfoList(QStringList{QStringLiteral("*.lng")},
                                                    QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive,
                                                    QDir::NoSort);
    for (const QFileInfo& info : entries) {
        if (info.isSymLink() || !info.isFile() || isReadOnly(info))
            continue;
        m_languages.append(info.fileName());
    }
    std::sort(m_languages.begin(), m_languages.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b; // a fixed order for names that differ only in case
    });
    m_showPage = 1;
    Update_Lang_Page(1);
}

void TFSoftOptions::Update_Lang_Page(int Num_Page)
{
    const auto T = [this](int i) { return m_state.Text(i); };
    const int pages = PageCount();
    L_Sel_Lang->setText(T(TxtSelectedLanguage) + m_languageInUse);
    L_Sel_Lang->adjustSize();
    L_Page_Lang->setText(T(TxtPage) + QString::number(Num_Page) + T(TxtPageOf) + QString::number(pages));
    L_Page_Lang->adjustSize();
    Btn_Prev->setVisible(Num_Page != 1);
    Btn_Next->setVisible(Num_Page != pages);

    const int first = (Num_Page - 1) * LanguagesPerPage;
    const int shown = std::min(int(m_languages.size()) - first, int(LanguagesPerPage));
    for (int k = 0; k < LanguagesPerPage; ++k) {
        if (k >= shown) {
            I_L[k]->hide();
            L_L[k]->hide();
            continue;
        }
        const QString fileName = m_languages.at(first + k);
        const QString name = fileName.left(fileName.size() - kLanguageSuffix.size());
        L_L[k]->setText(name);
        L_L[k]->adjustSize();
        L_L[k]->show();
        showFlag(I_L[k], name);
    }
}

void TFSoftOptions::showFlag(QLabel* picture, const QString& languageName)
{
    // The language's own picture, else the default one; a bitmap or a PNG.
    QString path;
    for (const QString& base : {languageName, kDefaultFlag}) {
        for (const QLatin1String ext : {QLatin1String(".bmp"), QLatin1String(".png")}) {
            const QString candidate = m_state.LanguageDir + QLatin1Char('/') + base + ext;
            if (QFileInfo(candidate).isFile()) {
                path = candidate;
                break;
            }
        }
        if (!path.isEmpty())
            break;
    }
    QImage image;
    if (!path.isEmpty()) {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        image = reader.read();
    }
    if (image.isNull()) {
        // No picture, or one that does not decode: the label alone names the slot.
        picture->clear();
        picture->hide();
        return;
    }
    picture->setPixmap(QPixmap::fromImage(
        image.scaled(FlagSide, FlagSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    picture->show();
}

void TFSoftOptions::Btn_NextClick(bool next)
{
    if (next) {
        if (m_showPage + 1 <= PageCount())
            ++m_showPage;
    } else if (m_showPage >= 2) {
        --m_showPage;
    }
    Update_Lang_Page(m_showPage);
}

void TFSoftOptions::LangClick(int slot)
{
    const int i = (m_showPage - 1) * LanguagesPerPage + slot - 1;
    if (slot < 1 || slot > LanguagesPerPage || i < 0 || i >= m_languages.size())
        return;
    const QString fileName = m_languages.at(i);
    const QString name = fileName.left(fileName.size() - kLanguageSuffix.size());
    const auto T = [this](int t) { return m_state.Text(t); };
    const QString question = T(TxtChangeFrom) + m_languageInUse + T(TxtChangeTo) + name + T(TxtChangeEnd);
    if (!m_services.messages || !m_services.messages->question(this, question))
        return;
    m_languageInUse = name;
    emit languageChosen(name); // the main window loads it and relabels every window, this one too
    Update_Lang_Page(m_showPage);
}

void TFSoftOptions::Update_CheckBox()
{
    CB_Update->setEnabled(CB_En_Con->isChecked());
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked() && !m_checkRunning);
}

void TFSoftOptions::Btn_Check_UpdateClick()
{
    if (m_checkRunning)
        return;
    m_checkRunning = true;
    Update_CheckBox();
    const int showing = m_showCount;
    auto finish = [this, showing](const QString& answer) {
        m_checkRunning = false;
        // An answer that arrives after the dialog was closed (and maybe
        // opened again) belongs to no showing: only the button comes back.
        if (showing == m_showCount && isVisible()) {
            if (kv::IsNewerVersion(answer)) {
                LL_Check_Update->setTextFormat(Qt::RichText);
                LL_Check_Update->setText(kv::NewVersionLinkHtml(m_state.Text(TxtNewVersion)));
                LL_Check_Update->setCursor(Qt::PointingHandCursor);
            } else {
                LL_Check_Update->setTextFormat(Qt::PlainText);
                LL_Check_Update->setText(m_state.Text(TxtNoUpdate));
                LL_Check_Update->unsetCursor();
            }
            LL_Check_Update->adjustSize();
            LL_Check_Update->show();
        }
        Update_CheckBox();
    };
    if (m_services.version)
        m_services.version->query(this, finish);
    else
        finish(QString());
}

void TFSoftOptions::LL_Check_UpdateLinkClick(const QString& link)
{
    if (m_services.urls)
        m_services.urls->openUrl(QUrl(link));
}

void TFSoftOptions::Btn_OKClick()
{
    kv::AppSettings& s = m_state.Settings;
    s.LanguageName = m_languageInUse;
    s.EnableInternet = CB_En_Con->isChecked();
    s.EnableUpdate = CB_Update->isChecked(); // also when the box is disabled
    s.EnableJumpFieldTables = CB_Soft_Set_Jump_Table->isChecked();
    s.DoubleClickAutoSize = CB_DoubleClick_Auto_Size->isChecked();
    accept(); // the main window saves the settings and applies the timer rule
}

bool TFSoftOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (kv::IsClickInside(watched, event)) {
        for (int k = 0; k < LanguagesPerPage; ++k) {
            if (watched == I_L[k] || watched == L_L[k]) {
                LangClick(k + 1);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
