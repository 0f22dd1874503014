#include "app/UNew_Project.h"

#include "common/UStyle.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {

enum : int {
    TxtCaption = 100,
    TxtDescription = 101,
    TxtLabel = 102,
    TxtOk = 103,
    TxtCancel = 104,
    TxtNameRefused = 105,
    TxtNameExists = 106,
    TxtNameEmpty = 107,
    HintEdit = 108,
    HintOk = 109,
    HintCancel = 110,
};

// A configuration is one directory directly inside PROJECTS: a name that
// would lead anywhere else is refused.
bool isSingleDirectoryName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && name != QLatin1String(".")
        && name != QLatin1String("..") && !name.contains(QChar(0));
}

} // namespace

TFNew_Project::TFNew_Project(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    kv::ApplyCommonLook(this);
    setFixedSize(331, 162);

    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    title->setGeometry(0, 0, 331, kv::TitlePanelHeight);
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 74);
    E_New_Proj = new QLineEdit(this);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    E_New_Proj->setGeometry(16, 91, 299, 21);
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &TFNew_Project::Btn_OKClick);

    QWidget* buttons = kv::CreateButtonPanel(this);
    buttons->setGeometry(0, 162 - kv::ButtonPanelHeight, 331, kv::ButtonPanelHeight);
    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), buttons, kv::Glyph::Ok);
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_OK->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFNew_Project::Btn_OKClick);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setGeometry(134, 6, 110, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    Set_Lang();
}

void TFNew_Project::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    Label1->setText(T(TxtLabel));
    Label1->adjustSize();
    E_New_Proj->setToolTip(T(HintEdit));
    Btn_OK->setText(T(TxtOk));
    Btn_OK->setToolTip(T(HintOk));
    Btn_Cancel->setText(T(TxtCancel));
    Btn_Cancel->setToolTip(T(HintCancel));
}

void TFNew_Project::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void TFNew_Project::Btn_OKClick()
{
    const QString name = E_New_Proj->text(); // used exactly as typed
    if (name.isEmpty()) {
        m_services.messages->error(this, m_state.Text(TxtNameEmpty));
        return;
    }
    const QString dir = m_state.ProjectsDir + QLatin1Char('/') + name;
    if (isSingleDirectoryName(name) && QFileInfo(dir).isDir()) {
        m_services.messages->error(this, m_state.Text(TxtNameExists));
        return;
    }
    if (!isSingleDirectoryName(name) || !QDir(m_state.ProjectsDir).mkdir(name)) {
        m_services.messages->error(this, m_state.Text(TxtNameRefused));
        return;
    }
    QDir().mkpath(dir + QStringLiteral("/bin")); // a failure shows when the image is written
    m_state.OpenProject(name);
    accept();
}
