#include "update/UBoot.h"

#include "common/UStyle.h"
#include "update/AddressSplit.h"
#include "update/ProgramStarter.h"
#include "update/UpdateJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {

enum : int {
    TxtCaption = 1002,
    TxtDescription = 1003,
    TxtAddressLabel = 1006,
    TxtOptionsLabel = 1014,
    TxtFirmwareAndConfiguration = 1015,
    TxtFirmware = 1016,
    TxtConfiguration = 1017,
    TxtReadBack = 1018,
    TxtCancel = 1019,
    TxtUpdate = 1020,
    HintIp1 = 1021, // 1021..1024, one per box
    HintOptions = 1032,
    HintReadBack = 1033,
    HintCancel = 1034,
    HintUpdate = 1035,
    TxtDeviceNotFound = 1036,
    TxtCheckAddress = 1037,
    TxtFirmwareMissing = 1195,
    TxtJobFileMissing = 1196,
};

constexpr int kWidth = 449;
constexpr int kAddressHeight = 49;
constexpr int kOptionsHeight = 72;

} // namespace

TFBoot::TFBoot(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFBoot"));
    kv::ApplyCommonLook(this);

    P_Title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    L_SW_Code = P_Title->findChild<QLabel*>(QStringLiteral("L_SW_Code"));
    L_SW_Desc = P_Title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));

    P_IP_Address = new QWidget(this);
    P_IP_Address->setObjectName(QStringLiteral("P_IP_Address"));
    L_IP_Address = new QLabel(P_IP_Address);
    L_IP_Address->setObjectName(QStringLiteral("L_IP_Address"));
    L_IP_Address->move(16, 4);
    QLineEdit** boxes[4] = {&E_IP1, &E_IP2, &E_IP3, &E_IP4};
    for (int i = 0; i < 4; ++i) {
        auto* e = new QLineEdit(QStringLiteral("0"), P_IP_Address);
        e->setObjectName(QStringLiteral("E_IP%1").arg(i + 1));
        e->setGeometry(16 + i * 56, 21, 44, 21);
        e->setAlignment(Qt::AlignCenter);
        e->installEventFilter(this);
        *boxes[i] = e;
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), P_IP_Address);
            dot->setGeometry(16 + i * 56 + 46, 21, 8, 21);
            dot->setAlignment(Qt::AlignCenter);
        }
    }

    P_Options = new QWidget(this);
    P_Options->setObjectName(QStringLiteral("P_Options"));
    L_Update_Option = new QLabel(P_Options);
    L_Update_Option->setObjectName(QStringLiteral("L_Update_Option"));
    L_Update_Option->move(16, 4);
    CB_Update_Options = new QComboBox(P_Options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    CB_Update_Options->setEditable(false);
    CB_Update_Options->setGeometry(16, 21, 250, 22);
    CB_Update_Option_Read_Back = new QCheckBox(P_Options);
    CB_Update_Option_Read_Back->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
    CB_Update_Option_Read_Back->move(16, 48);

    P_Button = kv::CreateButtonPanel(this);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), P_Button, kv::Glyph::Cancel);
    Btn_Cancel->setGeometry(16, 6, 110, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFBoot::reject);
    Btn_Update = new kv::StyledButton(QStringLiteral("Btn_Update"), P_Button, kv::Glyph::Update);
    Btn_Update->setGeometry(kWidth - 16 - 200, 6, 200, 28);
    Btn_Update->setAutoDefault(false);
    connect(Btn_Update, &QPushButton::clicked, this, &TFBoot::Btn_UpdateClick);

    QWidget::setTabOrder(E_IP1, E_IP2);
    QWidget::setTabOrder(E_IP2, E_IP3);
    QWidget::setTabOrder(E_IP3, E_IP4);
    QWidget::setTabOrder(E_IP4, CB_Update_Options);
    QWidget::setTabOrder(CB_Update_Options, CB_Update_Option_Read_Back);
    QWidget::setTabOrder(CB_Update_Option_Read_Back, Btn_Cancel);
    QWidget::setTabOrder(Btn_Cancel, Btn_Update);

    layoutPanels();
    Set_Lang();

    if (m_services.echo) {
        m_ping = std::make_unique<kv::PingJob>(*m_services.echo);
        connect(m_ping.get(), &kv::PingJob::echoed, this, &TFBoot::PingReply);
        connect(m_ping.get(), &kv::PingJob::finished, this, &TFBoot::PingFinished);
    }
}

void TFBoot::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    L_IP_Address->setText(T(TxtAddressLabel));
    L_IP_Address->adjustSize();
    QLineEdit* boxes[4] = {E_IP1, E_IP2, E_IP3, E_IP4};
    for (int i = 0; i < 4; ++i)
        boxes[i]->setToolTip(T(HintIp1 + i));
    L_Update_Option->setText(T(TxtOptionsLabel));
    L_Update_Option->adjustSize();
    CB_Update_Options->clear();
    CB_Update_Options->addItems({T(TxtFirmwareAndConfiguration), T(TxtFirmware), T(TxtConfiguration)});
    CB_Update_Options->setCurrentIndex(0);
    CB_Update_Options->setToolTip(T(HintOptions));
    CB_Update_Option_Read_Back->setText(T(TxtReadBack));
    CB_Update_Option_Read_Back->adjustSize();
    CB_Update_Option_Read_Back->setToolTip(T(HintReadBack));
    Btn_Cancel->setText(T(TxtCancel));
    Btn_Cancel->setToolTip(T(HintCancel));
    Btn_Update->setText(T(TxtUpdate));
    Btn_Update->setToolTip(T(HintUpdate));
}

void TFBoot::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFBoot::layoutPanels()
{
    // Only the Ethernet panels of the form are used by this product.
    P_IP_Address->setVisible(true);
    P_Options->setVisible(true);
    int top = 0;
    for (auto [panel, height] : {std::pair<QWidget*, int>{P_Title, kv::TitlePanelHeight}, {P_IP_Address, kAddressHeight},
                                 {P_Options, kOptionsHeight}}) {
        panel->setGeometry(0, top, kWidth, height);
        top += height;
    }
    P_Button->setGeometry(0, top, kWidth, kv::ButtonPanelHeight);
    setFixedSize(kWidth, top + kv::ButtonPanelHeight);
}

void TFBoot::FormShow()
{
    Set_Lang();
    L_SW_Code->setText(kv::SoftwareCode);
    L_SW_Code->adjustSize();

    layoutPanels();
    kv::CenterOnScreen(this);

    QStringList parts;
    if (!m_state.Settings.LastIpAddress.isEmpty() && kv::SplitAddressText(m_state.Settings.LastIpAddress, parts)) {
        E_IP1->setText(parts[0]);
        E_IP2->setText(parts[1]);
        E_IP3->setText(parts[2]);
        E_IP4->setText(parts[3]);
    }
    CB_Update_Options->setCurrentIndex(qBound(0, m_state.LastUpdateOption, 2));
    CB_Update_Option_Read_Back->setChecked(m_state.LastReadBack);
    focusBox(E_IP1);
}

void TFBoot::focusBox(QLineEdit* box)
{
    // What is typed replaces the box's text, as after Tab: typed over a
    // remembered address, an appended digit would name another device.
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
}

bool TFBoot::eventFilter(QObject* watched, QEvent* event)
{
    // KeyPress of the address boxes: "." hops to the next box.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String(".")) {
            if (watched == E_IP1)
                focusBox(E_IP2);
            else if (watched == E_IP2)
                focusBox(E_IP3);
            else if (watched == E_IP3)
                focusBox(E_IP4);
            else if (watched != E_IP4)
                return QDialog::eventFilter(watched, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString TFBoot::AddressText() const
{
    return E_IP1->text() + QLatin1Char('.') + E_IP2->text() + QLatin1Char('.') + E_IP3->text() + QLatin1Char('.')
        + E_IP4->text();
}

void TFBoot::PingReply(kv::IEchoClient::Result result)
{
    ping_res = result == kv::IEchoClient::Reply ? 1 : 2;
}

void TFBoot::setPinging(bool on)
{
    m_pinging = on;
    // The address stays what was pinged, and a second press cannot start a
    // second ping inside the first.
    for (QLineEdit* e : {E_IP1, E_IP2, E_IP3, E_IP4})
        e->setReadOnly(on);
    Btn_Update->setEnabled(!on);
}

void TFBoot::Send_Ping()
{
    ping_res = 0;
    m_pingError.clear();
    if (!m_ping) {
        m_pingError = QStringLiteral("No echo service");
        PingFinished(false);
        return;
    }
    setPinging(true);
    m_ping->start(AddressText());
}

void TFBoot::reject()
{
    // Cancel ends the ping at once; whatever the echo under way brings later
    // is ignored.
    if (m_pinging) {
        m_ping->stop();
        setPinging(false);
    }
    QDialog::reject();
}

kv::UpdateJobInput TFBoot::jobInput() const
{
    kv::UpdateJobInput in;
    in.deviceAddress = AddressText();
    in.updateOption = CB_Update_Options->currentIndex();
    in.readBack = CB_Update_Option_Read_Back->isChecked();
    in.masterDir = m_state.MasterDir;
    in.activeProjectDir = m_state.ActiveProjectDir;
    return in;
}

bool TFBoot::Compile_XML_Parameter(QString* error)
{
    return kv::WriteUpdateJob(XML1, jobInput(), kv::UpdateJobPath(m_state.ExeDir), error);
}

bool TFBoot::jobFilesExist()
{
    // Else the updater would find the file missing only once it runs: an
    // update that cannot succeed is not started.
    const kv::UpdateJobInput in = jobInput();
    for (const QString& file : kv::UpdateJobFiles(in)) {
        if (QFileInfo(file).isFile())
            continue;
        const QString shown = QDir::toNativeSeparators(file);
        if (file == kv::FirmwareImagePath(in.masterDir))
            m_services.messages->error(this, m_state.Text(TxtFirmwareMissing).arg(shown, m_state.Text(TxtConfiguration)));
        else
            m_services.messages->error(this, m_state.Text(TxtJobFileMissing).arg(shown));
        return false;
    }
    return true;
}

void TFBoot::Btn_UpdateClick()
{
    if (m_pinging)
        return;
    // Checked before the ping: nothing that cannot succeed is started, and
    // the engineer learns it without waiting for the device.
    if (!jobFilesExist()) {
        emit updateEnded();
        return;
    }
    Send_Ping();
}

void TFBoot::PingFinished(bool found)
{
    setPinging(false);
    const QPointer<TFBoot> alive(this);
    if (!found) {
        if (ping_res == 2) {
            m_services.messages->warning(this, m_state.Text(TxtDeviceNotFound));
        } else {
            QString text = m_state.Text(TxtCheckAddress);
            if (m_ping && !m_ping->error().isEmpty())
                m_pingError = m_ping->error();
            if (!m_pingError.isEmpty())
                text += QLatin1Char('\n') + m_pingError;
            m_services.messages->error(this, text);
        }
        if (alive)
            emit updateEnded();
        return;
    }

    m_state.Settings.LastIpAddress = AddressText();
    m_state.LastUpdateOption = CB_Update_Options->currentIndex();
    m_state.LastReadBack = CB_Update_Option_Read_Back->isChecked();

    QString error;
    if (!Compile_XML_Parameter(&error)) {
        // The updater would run an old job or none: it is not started.
        m_services.messages->error(this, error);
    } else if (m_services.starter) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_services.starter->Start_Program(QDir::toNativeSeparators(kv::UpdaterProgramPath(m_state.ExeDir)),
                                          QString(), false);
        QGuiApplication::restoreOverrideCursor();
    }
    if (alive)
        emit updateEnded();
}
