#include "app/UAbout.h"

#include "common/UStyle.h"
#include "common/Vendor.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int kPictureSide = 96;

// The converter as a small DIN-rail module: housing, front label, status
// LEDs and the two Ethernet ports.
QPixmap productPicture()
{
    QPixmap pm(kPictureSide, kPictureSide);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);

    // Housing with a darker side for depth.
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(120, 120, 125));
    p.drawPolygon(QPolygonF({QPointF(64, 8), QPointF(76, 14), QPointF(76, 90), QPointF(64, 86)}));
    QLinearGradient front(20, 0, 64, 0);
    front.setColorAt(0, QColor(228, 228, 222));
    front.setColorAt(1, QColor(196, 196, 190));
    p.setBrush(front);
    p.drawRoundedRect(QRectF(20, 8, 44, 78), 3, 3);

    // Front label strip with the device code.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 84, 150));
    p.drawRect(QRectF(24, 14, 36, 22));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(24, 14, 36, 11), Qt::AlignCenter, QStringLiteral("KD52013"));
    f.setBold(false);
    f.setPixelSize(5);
    p.setFont(f);
    p.drawText(QRectF(24, 24, 36, 10), Qt::AlignCenter, QStringLiteral("PN / SNMP"));

    // Status LEDs.
    const QColor leds[3] = {QColor(40, 190, 60), QColor(40, 190, 60), QColor(240, 180, 20)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(60, 60, 60), 0.6));
        p.setBrush(leds[i]);
        p.drawEllipse(QPointF(30 + i * 12, 44), 2.6, 2.6);
    }

    // Two Ethernet sockets.
    for (int i = 0; i < 2; ++i) {
        const QRectF socket(27, 54 + i * 15, 30, 12);
        p.setPen(QPen(QColor(70, 70, 70), 1));
        p.setBrush(QColor(45, 45, 45));
        p.drawRect(socket);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 170, 60));
        for (int pin = 0; pin < 6; ++pin)
            p.drawRect(QRectF(socket.left() + 5 + pin * 3.4, socket.top() + 2, 1.6, 3));
    }

    // DIN-rail clip.
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(34, 86, 16, 4));
    return pm;
}

QLabel* makeLabel(QWidget* parent, const char* name, int left, int top, const QString& text)
{
    QLabel* l = kv::NamedLabel(parent, name, left, top);
    l->setText(text);
    l->adjustSize();
    return l;
}

} // namespace

TFAbout::TFAbout(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFAbout"));
    kv::ApplyCommonLook(this);
    setWindowTitle(QStringLiteral("About..."));
    setFixedSize(ClientWidth, ClientHeight);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(32, 24, kPictureSide, kPictureSide);
    Image2->setScaledContents(true);
    Image2->setPixmap(productPicture());
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    Label1 = makeLabel(this, "Label1", 143, 24, QStringLiteral("Software Tessaran "));
    {
        QFont f = Label1->font();
        f.setBold(true);
        f.setPixelSize(13);
        Label1->setFont(f);
        Label1->adjustSize();
    }
    Label2 = makeLabel(this, "Label2", 143, 39, QString());
    Label6 = makeLabel(this, "Label6", 143, 62, QStringLiteral("Software Code : "));
    Label9 = makeLabel(this, "Label9", 255, 62, QString());
    Label3 = makeLabel(this, "Label3", 143, 77, QStringLiteral("Version :"));
    Label10 = makeLabel(this, "Label10", 255, 77, QString());
    Label8 = makeLabel(this, "Label8", 143, 92, QStringLiteral("Document Code :"));
    Label12 = makeLabel(this, "Label12", 255, 92, QString());
    Label5 = makeLabel(this, "Label5", 143, 107, QStringLiteral("Language Ver :"));
    Label7 = makeLabel(this, "Label7", 255, 107, QString());

    Label4 = makeLabel(this, "Label4", 323, 141, kv::VendorSiteName());
    {
        QFont f = Label4->font();
        f.setUnderline(true);
        Label4->setFont(f);
        QPalette pal = Label4->palette();
        pal.setColor(QPalette::WindowText, Qt::blue);
        Label4->setPalette(pal);
        Label4->setCursor(Qt::PointingHandCursor);
        Label4->adjustSize();
        Label4->installEventFilter(this);
    }

    LbButton1 = new kv::StyledButton(QStringLiteral("LbButton1"), this, kv::Glyph::Ok);
    LbButton1->setGeometry(32, 132, 96, 22);
    LbButton1->setText(QStringLiteral("OK"));
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFAbout::FormShow()
{
    const auto set = [](QLabel* l, const QString& text) {
        l->setText(text);
        l->adjustSize();
    };
    set(Label2, kv::SoftwareDescription);
    set(Label9, kv::SoftwareCode);
    set(Label10, kv::ProgramVersion);
    set(Label12, QStringLiteral("KM52013"));
    set(Label7, m_state.LangFileVersion);
    setFixedSize(ClientWidth, ClientHeight);
}

void TFAbout::Label4Click()
{
    if (m_services.urls)
        m_services.urls->openUrl(kv::VendorHomePageUrl());
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Label4 || watched == Image2) && kv::IsClickInside(watched, event)) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
