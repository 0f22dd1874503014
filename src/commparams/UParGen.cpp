#include "commparams/UParGen.h"

#include "common/UStyle.h"
#include "commparams/ProfinetName.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>

namespace {

enum : int {
    TxtCaption = 400,
    TxtDescription = 401,
    TxtOk = 402,
    TxtCancel = 403,
    TxtSnmpGroup = 404,
    TxtSnmpIp = 405,
    TxtSnmpSm = 406,
    TxtSnmpGateway = 407,
    TxtSnmpName = 408,
    HintCollapse = 414,
    HintExpand = 415,
    HintSnmpIpSm = 416,  // 416..423: IP then mask octets
    HintSnmpGateway = 424,
    HintSnmpGat = 425,   // 425..428
    HintSnmpName = 429,
    TxtExitWithoutSaving = 469,
    HintOk = 480,
    HintCancel = 481,
    TxtPnGroup = 551,
    TxtPnIp = 552,
    TxtPnSm = 553,
    TxtPnGateway = 554,
    TxtPnPort = 555,
    TxtPnName = 556,
    TxtPnNbIn = 557,
    TxtPnNbOut = 558,
    HintPnIpSm = 559,    // 559..566
    HintPnGateway = 567,
    HintPnGat = 568,     // 568..571
    HintPnPort = 572,
    HintPnName = 573,
    HintPnNbIn = 574,
    HintPnNbOut = 575,
};

constexpr int ClientWidth = 312;
constexpr int GroupLeft = 8;
constexpr int GroupTop = 70;
constexpr int GroupWidth = 296;
constexpr int CollapsedHeight = 26; // only the caption line
constexpr int EditHeight = 21;
constexpr int StationNameLength = 15;
constexpr int OctetLefts[4] = {16, 82, 148, 214};
constexpr int DotLefts[3] = {77, 143, 209};

using Field = QString kv::CommParams::*;

// The 11 x 11 collapse and expand buttons: too small for the styled
// button's frame, so a flat button showing only the arrow.
QPushButton* smallButton(QWidget* group, const char* name, kv::Glyph glyph)
{
    auto* b = new QPushButton(group);
    b->setObjectName(QString::fromLatin1(name));
    b->setFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setCursor(Qt::PointingHandCursor);
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setPen(QPen(QColor(150, 150, 150), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.75, 0.75, 20.5, 20.5));
        kv::PaintGlyph(p, QRectF(3, 3, 16, 16), glyph, true);
    }
    pm.setDevicePixelRatio(2.0);
    b->setIcon(QIcon(pm));
    b->setIconSize(QSize(11, 11));
    b->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
    b->resize(11, 11);
    return b;
}

// A warning mark in the margin right of the edits (left 16, width 258), at
// the height of an edit row, so that nothing else moves; hidden until a
// value breaks a rule.
QLabel* warningMarker(QWidget* group, const char* name, int editTop)
{
    auto* marker = new QLabel(group);
    marker->setObjectName(QString::fromLatin1(name));
    marker->setGeometry(16 + 258 + 2, editTop + (EditHeight - 16) / 2, 16, 16);
    marker->setPixmap(group->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    marker->hide();
    return marker;
}

} // namespace

TFParGen::TFParGen(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFParGen"));
    kv::ApplyCommonLook(this);

    QWidget* title = kv::CreateTitlePanel(this, kv::SoftwareCode, QString());
    title->setGeometry(0, 0, ClientWidth, kv::TitlePanelHeight);
    L_SW_Desc = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));

    // SNMP Manager group
    GB_SNMP_Manager = new QGroupBox(this);
    GB_SNMP_Manager->setObjectName(QStringLiteral("GB_SNMP_Manager"));
    GB_SNMP_Manager->setGeometry(GroupLeft, GroupTop, GroupWidth, 244);
    {
        QWidget* g = GB_SNMP_Manager;
        L_SNMP_Manager_IP_Add = kv::NamedLabel(g, "L_SNMP_Manager_IP_Add", 16, 24);
        static const char* const ip[4] = {"E_IP1_SNMP_Manager", "E_IP2_SNMP_Manager", "E_IP3_SNMP_Manager",
                                          "E_IP4_SNMP_Manager"};
        addOctetRow(g, ip, 43, kv::CommParamsOctetGroupOf(kv::SnmpIpGroup).octets, m_snmpOctets);
        L_SNMP_Manager_SM_Add = kv::NamedLabel(g, "L_SNMP_Manager_SM_Add", 16, 79);
        static const char* const sm[4] = {"E_SM1_SNMP_Manager", "E_SM2_SNMP_Manager", "E_SM3_SNMP_Manager",
                                          "E_SM4_SNMP_Manager"};
        addOctetRow(g, sm, 98, kv::CommParamsOctetGroupOf(kv::SnmpSmGroup).octets, m_snmpOctets);
        L_SNMP_Manager_SM_Warning = warningMarker(g, "L_SNMP_Manager_SM_Warning", 98);
        CB_SNMP_Manager_En_GAT = new QCheckBox(g);
        CB_SNMP_Manager_En_GAT->setObjectName(QStringLiteral("CB_SNMP_Manager_En_GAT"));
        CB_SNMP_Manager_En_GAT->setGeometry(16, 134, 257, 17);
        static const char* const gat[4] = {"E_GAT1_SNMP_Manager", "E_GAT2_SNMP_Manager", "E_GAT3_SNMP_Manager",
                                           "E_GAT4_SNMP_Manager"};
        addOctetRow(g, gat, 154, kv::CommParamsOctetGroupOf(kv::SnmpGatGroup).octets, m_snmpOctets);
        L_SNMP_Manager_Name_Station = kv::NamedLabel(g, "L_SNMP_Manager_Name_Station", 16, 191);
        E_SNMP_Manager_Name_Station = addEdit(g, "E_SNMP_Manager_Name_Station", 16, 208, 258,
                                              &kv::CommParams::SNMP_Name_of_Station);
        E_SNMP_Manager_Name_Station->setMaxLength(StationNameLength);
        Btn_SNMP_Manager_Collapse = smallButton(g, "Btn_SNMP_Manager_Collapse", kv::Glyph::Collapse);
        Btn_SNMP_Manager_Expande = smallButton(g, "Btn_SNMP_Manager_Expande", kv::Glyph::Expand);
    }

    // PROFINET group
    GB_PROFINET = new QGroupBox(this);
    GB_PROFINET->setObjectName(QStringLiteral("GB_PROFINET"));
    GB_PROFINET->setGeometry(GroupLeft, 320, GroupWidth, 346);
    {
        QWidget* g = GB_PROFINET;
        L_PROFINET_IP_Add = kv::NamedLabel(g, "L_PROFINET_IP_Add", 16, 24);
        static const char* const ip[4] = {"E_PROFINET_IP1", "E_PROFINET_IP2", "E_PROFINET_IP3", "E_PROFINET_IP4"};
        addOctetRow(g, ip, 43, kv::CommParamsOctetGroupOf(kv::PnIpGroup).octets, m_profinetOctets);
        L_PROFINET_Subnet_Mask = kv::NamedLabel(g, "L_PROFINET_Subnet_Mask", 16, 79);
        static const char* const sm[4] = {"E_PROFINET_SM1", "E_PROFINET_SM2", "E_PROFINET_SM3", "E_PROFINET_SM4"};
        addOctetRow(g, sm, 98, kv::CommParamsOctetGroupOf(kv::PnSmGroup).octets, m_profinetOctets);
        L_PROFINET_SM_Warning = warningMarker(g, "L_PROFINET_SM_Warning", 98);
        CB_PROFINET_Gat_En = new QCheckBox(g);
        CB_PROFINET_Gat_En->setObjectName(QStringLiteral("CB_PROFINET_Gat_En"));
        CB_PROFINET_Gat_En->setGeometry(16, 134, 257, 17);
        static const char* const gat[4] = {"E_PROFINET_GAT1", "E_PROFINET_GAT2", "E_PROFINET_GAT3",
                                           "E_PROFINET_GAT4"};
        addOctetRow(g, gat, 154, kv::CommParamsOctetGroupOf(kv::PnGatGroup).octets, m_profinetOctets);
        L_PROFINET_Port = kv::NamedLabel(g, "L_PROFINET_Port", 16, 191);
        E_PROFINET_Port = addEdit(g, "E_PROFINET_Port", 82, 188, 192, &kv::CommParams::PROFINET_PORT);
        E_PROFINET_Port->setReadOnly(true);
        E_PROFINET_Port->setEnabled(false);
        L_PROFINET_Name_Station = kv::NamedLabel(g, "L_PROFINET_Name_Station", 16, 223);
        E_PROFINET_Name_Station = addEdit(g, "E_PROFINET_Name_Station", 16, 242, 258,
                                          &kv::CommParams::PROFINET_NAME_STA);
        E_PROFINET_Name_Station->setMaxLength(StationNameLength);
        connect(E_PROFINET_Name_Station, &QLineEdit::textEdited, this, &TFParGen::forceLowerCase);
        L_PROFINET_Name_Warning = warningMarker(g, "L_PROFINET_Name_Warning", 242);
        connect(E_PROFINET_Name_Station, &QLineEdit::textChanged, this, &TFParGen::updateNameWarning);
        L_PROFINET_Byte_IN = kv::NamedLabel(g, "L_PROFINET_Byte_IN", 16, 279);
        E_NB_IN_PROFINET = addEdit(g, "E_NB_IN_PROFINET", 148, 276, 126, &kv::CommParams::PROFINET_NB_IN);
        L_PROFINET_Byte_OUT = kv::NamedLabel(g, "L_PROFINET_Byte_OUT", 16, 313);
        E_NB_OUT_PROFINET = addEdit(g, "E_NB_OUT_PROFINET", 148, 310, 126, &kv::CommParams::PROFINET_NB_OUT);
        Btn_PROFINET_Collapse = smallButton(g, "Btn_PROFINET_Collapse", kv::Glyph::Collapse);
        Btn_PROFINET_Expande = smallButton(g, "Btn_PROFINET_Expande", kv::Glyph::Expand);
    }

    connect(Btn_SNMP_Manager_Collapse, &QPushButton::clicked, this, [this] { Btn_GB_Collapse(Btn_SNMP_Manager_Collapse); });
    connect(Btn_PROFINET_Collapse, &QPushButton::clicked, this, [this] { Btn_GB_Collapse(Btn_PROFINET_Collapse); });
    connect(Btn_SNMP_Manager_Expande, &QPushButton::clicked, this, [this] { Btn_GB_Expande(Btn_SNMP_Manager_Expande); });
    connect(Btn_PROFINET_Expande, &QPushButton::clicked, this, [this] { Btn_GB_Expande(Btn_PROFINET_Expande); });
    for (int i = 4; i < 8; ++i) {
        connect(m_snmpOctets[i], &QLineEdit::textChanged, this, &TFParGen::updateMaskWarnings);
        connect(m_profinetOctets[i], &QLineEdit::textChanged, this, &TFParGen::updateMaskWarnings);
    }
    connect(CB_SNMP_Manager_En_GAT, &QCheckBox::clicked, this, &TFParGen::On_Click);
    connect(CB_PROFINET_Gat_En, &QCheckBox::clicked, this, &TFParGen::On_Click);

    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), this, kv::Glyph::Ok);
    Btn_OK->setGeometry(71, 679, 112, 28);
    Btn_OK->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), this, kv::Glyph::Cancel);
    Btn_Cancel->setGeometry(192, 679, 112, 28);
    Btn_Cancel->setAutoDefault(false);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFParGen::Btn_CancelClick);

    // Tab order: in the PROFINET group the gateway octets come before their
    // check box.
    QVector<QWidget*> order;
    for (int i = 0; i < 8; ++i)
        order << m_snmpOctets[i];
    order << CB_SNMP_Manager_En_GAT;
    for (int i = 8; i < 12; ++i)
        order << m_snmpOctets[i];
    order << E_SNMP_Manager_Name_Station;
    for (QLineEdit* e : qAsConst(m_profinetOctets))
        order << e;
    order << CB_PROFINET_Gat_En << E_PROFINET_Port << E_PROFINET_Name_Station << E_NB_IN_PROFINET
          << E_NB_OUT_PROFINET << Btn_OK << Btn_Cancel;
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    Collapse_Expand_Creation();
    Move_GroupBoxs();
    Set_Lang();
}

QLineEdit* TFParGen::addEdit(QWidget* group, const char* name, int left, int top, int width, Field field)
{
    auto* e = new QLineEdit(group);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(left, top, width, EditHeight);
    connect(e, &QLineEdit::textChanged, this, &TFParGen::On_Change);
    m_bindings.append({e, field});
    return e;
}

void TFParGen::addOctetRow(QWidget* group, const char* const names[4], int top, const Field fields[4],
                           QVector<QLineEdit*>& sequence)
{
    for (int i = 0; i < 4; ++i) {
        QLineEdit* e = addEdit(group, names[i], OctetLefts[i], top, 60, fields[i]);
        e->installEventFilter(this);
        sequence.append(e);
    }
    addDots(group, top + 3);
}

void TFParGen::addDots(QWidget* group, int top)
{
    for (int left : DotLefts) {
        auto* dot = new QLabel(QStringLiteral("."), group);
        dot->setGeometry(left, top, 5, 14);
    }
}

void TFParGen::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    const auto setLabel = [](QLabel* l, const QString& text) {
        l->setText(text);
        l->adjustSize();
    };
    setWindowTitle(T(TxtCaption));
    setLabel(L_SW_Desc, T(TxtDescription));

    GB_SNMP_Manager->setTitle(T(TxtSnmpGroup));
    setLabel(L_SNMP_Manager_IP_Add, T(TxtSnmpIp));
    setLabel(L_SNMP_Manager_SM_Add, T(TxtSnmpSm));
    CB_SNMP_Manager_En_GAT->setText(T(TxtSnmpGateway));
    CB_SNMP_Manager_En_GAT->setToolTip(T(HintSnmpGateway));
    setLabel(L_SNMP_Manager_Name_Station, T(TxtSnmpName));
    E_SNMP_Manager_Name_Station->setToolTip(T(HintSnmpName));
    for (int i = 0; i < 12; ++i)
        m_snmpOctets[i]->setToolTip(T(i < 8 ? HintSnmpIpSm + i : HintSnmpGat + i - 8));

    GB_PROFINET->setTitle(T(TxtPnGroup));
    setLabel(L_PROFINET_IP_Add, T(TxtPnIp));
    setLabel(L_PROFINET_Subnet_Mask, T(TxtPnSm));
    CB_PROFINET_Gat_En->setText(T(TxtPnGateway));
    CB_PROFINET_Gat_En->setToolTip(T(HintPnGateway));
    setLabel(L_PROFINET_Port, T(TxtPnPort));
    E_PROFINET_Port->setToolTip(T(HintPnPort));
    setLabel(L_PROFINET_Name_Station, T(TxtPnName));
    E_PROFINET_Name_Station->setToolTip(T(HintPnName));
    updateNameWarning();
    updateMaskWarnings();
    setLabel(L_PROFINET_Byte_IN, T(TxtPnNbIn));
    E_NB_IN_PROFINET->setToolTip(T(HintPnNbIn));
    setLabel(L_PROFINET_Byte_OUT, T(TxtPnNbOut));
    E_NB_OUT_PROFINET->setToolTip(T(HintPnNbOut));
    for (int i = 0; i < 12; ++i)
        m_profinetOctets[i]->setToolTip(T(i < 8 ? HintPnIpSm + i : HintPnGat + i - 8));

    for (QPushButton* b : {Btn_SNMP_Manager_Collapse, Btn_PROFINET_Collapse})
        b->setToolTip(T(HintCollapse));
    for (QPushButton* b : {Btn_SNMP_Manager_Expande, Btn_PROFINET_Expande})
        b->setToolTip(T(HintExpand));

    Btn_OK->setText(T(TxtOk));
    Btn_OK->setToolTip(T(HintOk));
    Btn_Cancel->setText(T(TxtCancel));
    Btn_Cancel->setToolTip(T(HintCancel));
}

int TFParGen::exec()
{
    // Load before showing: a document that cannot be read never gets a
    // window whose OK would write defaults over it.
    if (!isVisible()) {
        if (!FormShow()) {
            setResult(Rejected);
            return Rejected;
        }
        m_loadedForShow = true;
    }
    return QDialog::exec();
}

void TFParGen::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    if (showing) {
        const bool loaded = m_loadedForShow || FormShow();
        m_loadedForShow = false;
        if (!loaded) {
            setResult(Rejected);
            return;
        }
        kv::CenterOnScreen(this);
    }
    QDialog::setVisible(visible);
    if (showing && canTakeFocus(m_snmpOctets.first())) {
        // Typing at once replaces the first octet, as after Tab.
        m_snmpOctets.first()->setFocus(Qt::TabFocusReason);
        m_snmpOctets.first()->selectAll();
    }
}

bool TFParGen::FormShow()
{
    const kv::CommParamsLoad r = kv::LoadCommParams(m_state.ParGenPath);
    if (r.load.status == kv::XmlLoad::Error) {
        m_services.messages->error(parentWidget(), r.load.message);
        return false;
    }
    // A longer name from the file is shown whole; only typing is limited.
    E_SNMP_Manager_Name_Station->setMaxLength(qMax(StationNameLength, int(r.params.SNMP_Name_of_Station.size())));
    E_PROFINET_Name_Station->setMaxLength(qMax(StationNameLength, int(r.params.PROFINET_NAME_STA.size())));
    for (const Binding& b : qAsConst(m_bindings)) {
        b.edit->setText(r.params.*b.field);
        b.edit->setCursorPosition(0);
    }
    m_profinetNameBefore = E_PROFINET_Name_Station->text();
    CB_SNMP_Manager_En_GAT->setChecked(kv::FlagIsSet(r.params.SNMP_Manager_EN_GAT));
    CB_PROFINET_Gat_En->setChecked(kv::FlagIsSet(r.params.PROFINET_EN_GAT));
    Move_GroupBoxs();
    Is_Change = false;
    if (canTakeFocus(m_snmpOctets.first())) {
        m_snmpOctets.first()->setFocus(Qt::TabFocusReason);
        m_snmpOctets.first()->selectAll();
    }
    return true;
}

void TFParGen::FormActivate()
{
    if (frameGeometry().top() < 0)
        move(x(), 0);
}

void TFParGen::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFParGen::Collapse_Expand_Creation()
{
    GB_SNMP_Manager_Visible = true;
    GB_PROFINET_Visible = true;
    for (QPushButton* b : {Btn_SNMP_Manager_Collapse, Btn_SNMP_Manager_Expande, Btn_PROFINET_Collapse,
                           Btn_PROFINET_Expande})
        b->move(280, 10);
    Btn_SNMP_Manager_Collapse->setVisible(true);
    Btn_SNMP_Manager_Expande->setVisible(false);
    Btn_PROFINET_Collapse->setVisible(true);
    Btn_PROFINET_Expande->setVisible(false);
}

void TFParGen::Move_GroupBoxs()
{
    const int snmpHeight = GB_SNMP_Manager_Visible
        ? E_SNMP_Manager_Name_Station->y() + E_SNMP_Manager_Name_Station->height() + 15
        : GB_SNMP_Manager->height();
    GB_SNMP_Manager->setGeometry(GroupLeft, GroupTop, GroupWidth, snmpHeight);
    GB_SNMP_Manager->setVisible(true);

    const int pnTop = GB_SNMP_Manager->y() + GB_SNMP_Manager->height() + 6;
    const int pnHeight = GB_PROFINET_Visible ? E_NB_OUT_PROFINET->y() + E_NB_OUT_PROFINET->height() + 15
                                             : GB_PROFINET->height();
    GB_PROFINET->setGeometry(GroupLeft, pnTop, GroupWidth, pnHeight);
    GB_PROFINET->setVisible(true);

    const int buttonsTop = GB_PROFINET->y() + GB_PROFINET->height() + 13;
    Btn_OK->move(Btn_OK->x(), buttonsTop);
    Btn_Cancel->move(Btn_Cancel->x(), buttonsTop);
    setFixedSize(ClientWidth, GB_PROFINET->y() + GB_PROFINET->height() + 54);
}

void TFParGen::Btn_GB_Collapse(QPushButton* button)
{
    const bool snmp = button == Btn_SNMP_Manager_Collapse;
    QGroupBox* group = snmp ? GB_SNMP_Manager : GB_PROFINET;
    group->resize(group->width(), CollapsedHeight);
    // The first label would show through the caption line.
    (snmp ? L_SNMP_Manager_IP_Add : L_PROFINET_IP_Add)->setVisible(false);
    button->setVisible(false);
    (snmp ? Btn_SNMP_Manager_Expande : Btn_PROFINET_Expande)->setVisible(true);
    (snmp ? GB_SNMP_Manager_Visible : GB_PROFINET_Visible) = false;
    Move_GroupBoxs();
}

void TFParGen::Btn_GB_Expande(QPushButton* button)
{
    const bool snmp = button == Btn_SNMP_Manager_Expande;
    (snmp ? L_SNMP_Manager_IP_Add : L_PROFINET_IP_Add)->setVisible(true);
    (snmp ? Btn_SNMP_Manager_Collapse : Btn_PROFINET_Collapse)->setVisible(true);
    button->setVisible(false);
    (snmp ? GB_SNMP_Manager_Visible : GB_PROFINET_Visible) = true;
    Move_GroupBoxs();
}

kv::CommParams TFParGen::Params() const
{
    kv::CommParams p;
    for (const Binding& b : m_bindings)
        p.*b.field = b.edit->text();
    p.SNMP_Manager_EN_GAT = CB_SNMP_Manager_En_GAT->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    p.PROFINET_EN_GAT = CB_PROFINET_Gat_En->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return p;
}

void TFParGen::Btn_OKClick()
{
    const kv::CommParams p = Params();
    QString message;
    if (!kv::Controllo_Dati(p, m_state.Lang, &message)) {
        m_services.messages->error(this, message);
        return;
    }
    QString error;
    if (!kv::SaveCommParams(p, m_state.ParGenPath, &error)) {
        // The entries stay in the dialog: the user can retry or cancel.
        m_services.messages->error(this, error);
        return;
    }
    accept();
}

void TFParGen::Btn_CancelClick()
{
    if (Is_Change
        && !m_services.messages->question(this, m_state.Text(TxtExitWithoutSaving), kv::IMessageService::Default::No))
        return;
    reject();
}

void TFParGen::keyPressEvent(QKeyEvent* event)
{
    // Escape is Cancel, with its question; the close box closes at once.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Btn_CancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFParGen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QLatin1String(".")) {
        for (const QVector<QLineEdit*>* seq : {&m_snmpOctets, &m_profinetOctets}) {
            const int i = seq->indexOf(qobject_cast<QLineEdit*>(watched));
            if (i < 0)
                continue;
            // The dot itself is never inserted; after the last gateway
            // octet it goes nowhere.
            if (i + 1 < seq->size()) {
                QLineEdit* next = seq->at(i + 1);
                if (canTakeFocus(next)) {
                    next->setFocus(Qt::TabFocusReason);
                    next->selectAll();
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFParGen::canTakeFocus(const QWidget* w) const
{
    return w->isEnabled() && w->isVisibleTo(this) && w->focusPolicy() != Qt::NoFocus;
}

void TFParGen::On_Change()
{
    Is_Change = true;
}

void TFParGen::On_Click()
{
    Is_Change = true;
}

void TFParGen::updateNameWarning()
{
    const int problem = kv::ProfinetNameProblem(E_PROFINET_Name_Station->text());
    L_PROFINET_Name_Warning->setToolTip(problem ? m_state.Text(problem) : QString());
    L_PROFINET_Name_Warning->setVisible(problem != 0);
}

void TFParGen::updateMaskWarnings()
{
    const kv::CommParams p = Params();
    const std::pair<QLabel*, kv::CommParamsOctetGroup> masks[] = {{L_SNMP_Manager_SM_Warning, kv::SnmpSmGroup},
                                                                  {L_PROFINET_SM_Warning, kv::PnSmGroup}};
    for (const auto& [marker, group] : masks) {
        const QString warning = kv::SubnetMaskWarning(p, group, m_state.Lang);
        marker->setToolTip(warning);
        marker->setVisible(!warning.isEmpty());
    }
}

void TFParGen::forceLowerCase(const QString& text)
{
    // Only what was just typed or pasted is lower-cased: a name read from the
    // file keeps its letters until the user changes them.  Typing and pasting
    // leave the text after the cursor as it was, so the new part ends at the
    // cursor and begins where the text first differs from before.
    QLineEdit* e = E_PROFINET_Name_Station;
    const QString& before = m_profinetNameBefore;
    const int cursor = e->cursorPosition();
    const int tail = qMin(int(text.size()) - cursor, int(before.size()));
    const int maxStart = qMin(cursor, int(before.size()) - tail);
    int start = 0;
    while (start < maxStart && before.at(start) == text.at(start))
        ++start;
    const QString added = text.mid(start, cursor - start);
    const QString lower = added.toLower();
    if (lower != added) {
        e->setText(text.left(start) + lower + text.mid(cursor));
        e->setCursorPosition(start + int(lower.size()));
    }
    m_profinetNameBefore = e->text();
}
