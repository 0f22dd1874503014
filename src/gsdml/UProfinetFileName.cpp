#include "gsdml/UProfinetFileName.h"

#include "common/UStyle.h"
#include "gsdml/ProfinetXml.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

namespace {

enum : int {
    TxtOverwrite = 1105,
    TxtCaption = 1200,
    TxtDescription = 1201,
    TxtSelectName = 1202,
    TxtFixPart1 = 1203,
    TxtUserPart = 1204,
    TxtFixPart2 = 1205,
    TxtOk = 1206,
    TxtCancel = 1207,
    TxtInvalidName = 1211,
};

constexpr int kWidth = 540;
constexpr int kHeight = 205;

// The file goes into the folder the user picked: a name that would lead
// anywhere else is refused.
bool isPlainFileName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

TFProfinetFileName::TFProfinetFileName(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : TFProfinetFileName(state, services, QDate::currentDate(), parent)
{
}

TFProfinetFileName::TFProfinetFileName(kv::AppState& state, kv::UiServices& services, const QDate& today,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    FormCreate(today);
}

QString TFProfinetFileName::FixedPart1()
{
    return QStringLiteral("GSDML-V2.31-Tolvex-KD52013");
}

QString TFProfinetFileName::FixedPart2(const QDate& date)
{
    return QStringLiteral("-%1%2%3.xml")
        .arg(date.year())
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString TFProfinetFileName::ComposeName(const QString& fixed1, const QString& user, const QString& fixed2)
{
    if (user.trimmed().isEmpty())
        return fixed1 + fixed2;
    if (user.startsWith(QLatin1Char('_')))
        return fixed1 + user + fixed2;
    return fixed1 + QLatin1Char('_') + user + fixed2;
}

void TFProfinetFileName::FormCreate(const QDate& today)
{
    setObjectName(QStringLiteral("TFProfinetFileName"));
    kv::ApplyCommonLook(this);
    setFixedSize(kWidth, kHeight);

    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    title->setGeometry(0, 0, kWidth, kv::TitlePanelHeight);
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));

    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    L_Select_Name = label("L_Select_Name");
    L_Select_Name->move(16, 76);
    L_FixPart_1 = label("L_FixPart_1");
    L_XML_Fix1 = label("L_XML_Fix1");
    L_UsedPart = label("L_UsedPart");
    L_FixPart_2 = label("L_FixPart_2");
    L_XML_Fix2 = label("L_XML_Fix2");
    E_XML_User = new QLineEdit(this);
    E_XML_User->setObjectName(QStringLiteral("E_XML_User"));
    connect(E_XML_User, &QLineEdit::returnPressed, this, &TFProfinetFileName::Btn_OK_Click);

    L_XML_Fix1->setText(FixedPart1());
    L_XML_Fix2->setText(FixedPart2(today));

    // One row that reads like the file name, each part under its caption.
    const QFontMetrics fm(L_XML_Fix1->font());
    const int rowTop = 122;
    const int captionTop = 102;
    const int fix1Width = fm.horizontalAdvance(L_XML_Fix1->text()) + 4;
    const int fix2Width = fm.horizontalAdvance(L_XML_Fix2->text()) + 4;
    const int editLeft = 16 + fix1Width + 4;
    const int fix2Left = kWidth - 16 - fix2Width;
    L_XML_Fix1->setGeometry(16, rowTop + 2, fix1Width, 17);
    E_XML_User->setGeometry(editLeft, rowTop, fix2Left - 4 - editLeft, 21);
    L_XML_Fix2->setGeometry(fix2Left, rowTop + 2, fix2Width, 17);
    L_FixPart_1->move(16, captionTop);
    L_UsedPart->move(editLeft, captionTop);
    L_FixPart_2->move(fix2Left, captionTop);

    QWidget* buttons = kv::CreateButtonPanel(this);
    buttons->setGeometry(0, kHeight - kv::ButtonPanelHeight, kWidth, kv::ButtonPanelHeight);
    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), buttons, kv::Glyph::Ok);
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_OK->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFProfinetFileName::Btn_OK_Click);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setGeometry(134, 6, 110, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(E_XML_User, Btn_OK);
    setTabOrder(Btn_OK, Btn_Cancel);

    Set_Lang();
}

void TFProfinetFileName::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    for (auto [l, i] : {std::pair<QLabel*, int>{L_Select_Name, TxtSelectName}, {L_FixPart_1, TxtFixPart1},
                        {L_UsedPart, TxtUserPart}, {L_FixPart_2, TxtFixPart2}}) {
        l->setText(T(i));
        l->adjustSize();
    }
    Btn_OK->setText(T(TxtOk));
    Btn_Cancel->setText(T(TxtCancel));
    // These three stay in English whatever the language.
    E_XML_User->setToolTip(QStringLiteral("Insert the User Part of GDXML PROFINET File"));
    Btn_OK->setToolTip(QStringLiteral("Confirm and Save the GDXML PROFINET File"));
    Btn_Cancel->setToolTip(QStringLiteral("Exit without Save the GDXML PROFINET File"));
}

void TFProfinetFileName::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    kv::CenterOnScreen(this);
    // The user part stays as typed last time; typing replaces it whole.
    E_XML_User->setFocus(Qt::TabFocusReason);
    E_XML_User->selectAll();
}

void TFProfinetFileName::Btn_OK_Click()
{
    const QString user = E_XML_User->text();
    if (!isPlainFileName(user)) {
        m_services.messages->error(this, m_state.Text(TxtInvalidName));
        return;
    }
    m_name = ComposeName(L_XML_Fix1->text(), user, L_XML_Fix2->text());
    accept();
}

QWidget* TFProfinetFileName::messageOwner()
{
    // Once the name is confirmed this dialog is closed: speak from the window
    // underneath.
    return isVisible() || !parentWidget() ? this : parentWidget();
}

void TFProfinetFileName::Save_Profinet_XML(const QString& fileName)
{
    QWidget* owner = messageOwner();
    if (fileName.isEmpty() || !isPlainFileName(fileName)) {
        m_services.messages->error(owner, m_state.Text(TxtInvalidName));
        return;
    }
    const QString chosen = m_services.files->getSaveFileName(owner, m_state.Text(TxtDescription),
                                                             m_state.ActiveProjectDir,
                                                             QStringLiteral("PROFINET XML (%1)").arg(fileName), fileName);
    if (chosen.isEmpty())
        return;
    // Only the folder of the chosen path counts; the name is the composed one.
    const QString target = QFileInfo(chosen).path() + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(target)
        && !m_services.messages->question(owner, m_state.Text(TxtOverwrite), kv::IMessageService::Default::No))
        return;
    const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(m_state.ParGenPath, target);
    if (!r.ok())
        m_services.messages->error(owner, r.message);
}
