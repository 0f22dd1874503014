#include "common/UStyle.h"

#include <QGuiApplication>
#include <QScreen>

#include <QApplication>
#include <QFont>
#include <QIconEngine>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace kv {

void InstallApplicationLook()
{
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QFont f(QStringLiteral("Verdana"));
    f.setPointSize(8);
    QApplication::setFont(f);
}

void CenterOnScreen(QWidget* window)
{
    const QWidget* parent = window->parentWidget();
    const QScreen* screen = parent ? parent->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // move() places the frame: centre the frame, title bar included.
    const QRect area = screen->availableGeometry();
    const QSize outer = window->frameGeometry().size();
    window->move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void ApplyCommonLook(QWidget* window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, WindowBackground());
    window->setPalette(pal);
    window->setAutoFillBackground(true);
    QFont f(QStringLiteral("Verdana"));
    f.setPointSize(8);
    window->setFont(f);
}

QLabel* NamedLabel(QWidget* parent, const char* name, int left, int top)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    return l;
}

bool IsClickInside(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease || !watched->isWidgetType())
        return false;
    const auto* me = static_cast<QMouseEvent*>(event);
    return me->button() == Qt::LeftButton && static_cast<QWidget*>(watched)->rect().contains(me->position().toPoint());
}

void StyleCodeLabel(QLabel* label)
{
    QFont f = label->font();
    f.setPixelSize(32);
    f.setBold(false);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
    label->setPalette(pal);
    label->adjustSize();
}

void StyleBoldLabel(QLabel* label, const QColor& colour)
{
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void StyleDescriptionLabel(QLabel* label)
{
    StyleBoldLabel(label, QColor(128, 128, 128));
    label->adjustSize();
}

QWidget* CreateTitlePanel(QWidget* parent, const QString& code, const QString& description)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("P_Title"));
    panel->setFixedHeight(TitlePanelHeight);
    auto* lCode = new QLabel(code, panel);
    lCode->setObjectName(QStringLiteral("L_SW_Code"));
    StyleCodeLabel(lCode);
    lCode->move(16, 8);
    auto* lDesc = new QLabel(description, panel);
    lDesc->setObjectName(QStringLiteral("L_SW_Desc"));
    StyleDescriptionLabel(lDesc);
    lDesc->move(16, 42);
    return panel;
}

QVBoxLayout* CreateTitledLayout(QWidget* window, const QString& code, QLabel** description)
{
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    QWidget* title = CreateTitlePanel(window, code, QString());
    if (description)
        *description = title->findChild<QLabel*>(QStringLiteral("L_SW_Desc"));
    outer->addWidget(title);
    return outer;
}

QWidget* CreateButtonPanel(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("P_Button"));
    panel->setFixedHeight(ButtonPanelHeight);
    return panel;
}

StyledButton::StyledButton(const QString& objectName, QWidget* parent, Glyph glyph)
    : QPushButton(parent)
    , m_glyph(glyph)
{
    setObjectName(objectName);
    setFlat(true);
    setAttribute(Qt::WA_Hover, true);
    setCursor(Qt::PointingHandCursor);
}

void StyledButton::setGlyph(Glyph glyph)
{
    m_glyph = glyph;
    update();
}

void StyledButton::setGlyphOnRight(bool right)
{
    m_glyphRight = right;
    update();
}

void StyledButton::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QPushButton::enterEvent(event);
}

void StyledButton::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QPushButton::leaveEvent(event);
}

void StyledButton::hideEvent(QHideEvent* event)
{
    // A dialog closed by this button sends it no leave: it would still be
    // hot at the next showing.
    m_hot = false;
    QPushButton::hideEvent(event);
}

void StyledButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = WindowBackground();
    QColor border(190, 186, 165);
    if (!isEnabled()) {
        border = QColor(215, 212, 200);
    } else if (isDown()) {
        fill = QColor(255, 153, 0);
        border = QColor(204, 112, 0);
    } else if (m_hot && underMouse()) {
        fill = QColor(255, 240, 205);
        border = QColor(230, 150, 40);
    }
    p.setPen(border);
    p.setBrush(fill);
    p.drawRoundedRect(r, 3, 3);
    if (hasFocus() && isEnabled()) {
        // The keyboard's button: a quiet dotted frame inside, never the
        // hover colour, so that only the button under the mouse looks hot.
        QPen dots(QColor(110, 105, 85), 1, Qt::DotLine);
        p.setPen(dots);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 2, 2);
    }

    const int side = qMin(height() - 8, 20);
    QRectF glyphRect;
    QRect textRect = rect().adjusted(4, 0, -4, 0);
    if (m_glyph != Glyph::None && side > 4) {
        if (m_glyphRight) {
            glyphRect = QRectF(width() - side - 6, (height() - side) / 2.0, side, side);
            textRect.setRight(int(glyphRect.left()) - 2);
        } else {
            glyphRect = QRectF(6, (height() - side) / 2.0, side, side);
            textRect.setLeft(int(glyphRect.right()) + 2);
        }
        PaintGlyph(p, glyphRect, m_glyph, isEnabled());
    }
    p.setPen(isEnabled() ? QColor(40, 40, 40) : QColor(160, 160, 160));
    p.setFont(font());
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

void PaintGlyph(QPainter& p, const QRectF& r, Glyph glyph, bool enabled)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const auto c = [enabled](int r_, int g, int b) { return enabled ? QColor(r_, g, b) : QColor(175, 175, 175); };
    const qreal w = r.width();
    const qreal h = r.height();
    const QPointF o = r.topLeft();
    const auto P = [&](qreal x, qreal y) { return QPointF(o.x() + x * w, o.y() + y * h); };
    QPen pen(c(60, 60, 60), qMax<qreal>(1.5, w / 9.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Ok:
        pen.setColor(c(30, 140, 50));
        p.setPen(pen);
        p.drawPolyline(QPolygonF({P(0.15, 0.55), P(0.4, 0.8), P(0.85, 0.2)}));
        break;
    case Glyph::Cancel:
    case Glyph::Close:
    case Glyph::Delete:
        pen.setColor(c(200, 40, 30));
        p.setPen(pen);
        p.drawLine(P(0.2, 0.2), P(0.8, 0.8));
        p.drawLine(P(0.8, 0.2), P(0.2, 0.8));
        break;
    case Glyph::New:
    case Glyph::Document:
    case Glyph::Insert: {
        p.setPen(QPen(c(70, 90, 130), 1.2));
        p.setBrush(enabled ? QColor(255, 255, 255) : QColor(235, 235, 235));
        QPolygonF page({P(0.22, 0.08), P(0.62, 0.08), P(0.8, 0.26), P(0.8, 0.92), P(0.22, 0.92)});
        p.drawPolygon(page);
        if (glyph != Glyph::Document) {
            pen.setColor(c(30, 140, 50));
            p.setPen(pen);
            p.drawLine(P(0.51, 0.38), P(0.51, 0.78));
            p.drawLine(P(0.31, 0.58), P(0.71, 0.58));
        } else {
            p.setPen(QPen(c(120, 120, 120), 1));
            for (qreal y : {0.4, 0.55, 0.7})
                p.drawLine(P(0.32, y), P(0.7, y));
        }
        break;
    }
    case Glyph::Open: {
        p.setPen(QPen(c(150, 110, 20), 1.2));
        p.setBrush(c(250, 200, 80));
        p.drawPolygon(QPolygonF({P(0.08, 0.25), P(0.38, 0.25), P(0.45, 0.35), P(0.92, 0.35), P(0.92, 0.85), P(0.08, 0.85)}));
        break;
    }
    case Glyph::Settings:
    case Glyph::Options:
    case Glyph::Params: {
        p.setPen(Qt::NoPen);
        p.setBrush(c(90, 100, 120));
        const QPointF ctr = P(0.5, 0.5);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(ctr);
            p.rotate(i * 45.0);
            p.drawRect(QRectF(-w * 0.08, -h * 0.46, w * 0.16, h * 0.2));
            p.restore();
        }
        p.drawEllipse(ctr, w * 0.32, h * 0.32);
        p.setBrush(enabled ? WindowBackground() : QColor(235, 235, 235));
        p.drawEllipse(ctr, w * 0.13, h * 0.13);
        break;
    }
    case Glyph::Table: {
        p.setPen(QPen(c(70, 90, 130), 1.2));
        p.setBrush(enabled ? QColor(255, 255, 255) : QColor(235, 235, 235));
        p.drawRect(QRectF(P(0.1, 0.15), P(0.9, 0.85)));
        p.drawLine(P(0.1, 0.38), P(0.9, 0.38));
        p.drawLine(P(0.1, 0.62), P(0.9, 0.62));
        p.drawLine(P(0.4, 0.15), P(0.4, 0.85));
        break;
    }
    case Glyph::Update: {
        pen.setColor(c(30, 110, 190));
        p.setPen(pen);
        p.drawArc(QRectF(P(0.15, 0.15), P(0.85, 0.85)), 30 * 16, 280 * 16);
        p.setBrush(c(30, 110, 190));
        p.drawPolygon(QPolygonF({P(0.62, 0.05), P(0.92, 0.3), P(0.58, 0.38)}));
        break;
    }
    case Glyph::Info: {
        p.setPen(Qt::NoPen);
        p.setBrush(c(30, 110, 190));
        p.drawEllipse(QRectF(P(0.08, 0.08), P(0.92, 0.92)));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(P(0.44, 0.22), P(0.56, 0.34)));
        p.drawRect(QRectF(P(0.44, 0.42), P(0.56, 0.78)));
        break;
    }
    case Glyph::Copy:
    case Glyph::Paste: {
        p.setPen(QPen(c(70, 90, 130), 1.2));
        p.setBrush(enabled ? QColor(255, 255, 255) : QColor(235, 235, 235));
        p.drawRect(QRectF(P(0.12, 0.12), P(0.6, 0.7)));
        p.drawRect(QRectF(P(0.38, 0.32), P(0.88, 0.9)));
        if (glyph == Glyph::Paste) {
            pen.setColor(c(30, 140, 50));
            p.setPen(pen);
            p.drawLine(P(0.5, 0.6), P(0.76, 0.6));
        }
        break;
    }
    case Glyph::Previous:
    case Glyph::Collapse:
        p.setPen(Qt::NoPen);
        p.setBrush(c(60, 60, 60));
        if (glyph == Glyph::Previous)
            p.drawPolygon(QPolygonF({P(0.7, 0.15), P(0.25, 0.5), P(0.7, 0.85)}));
        else
            p.drawPolygon(QPolygonF({P(0.15, 0.7), P(0.5, 0.25), P(0.85, 0.7)}));
        break;
    case Glyph::Next:
    case Glyph::Expand:
        p.setPen(Qt::NoPen);
        p.setBrush(c(60, 60, 60));
        if (glyph == Glyph::Next)
            p.drawPolygon(QPolygonF({P(0.3, 0.15), P(0.75, 0.5), P(0.3, 0.85)}));
        else
            p.drawPolygon(QPolygonF({P(0.15, 0.3), P(0.5, 0.75), P(0.85, 0.3)}));
        break;
    case Glyph::Search:
        pen.setColor(c(60, 60, 60));
        p.setPen(pen);
        p.drawEllipse(QRectF(P(0.12, 0.12), P(0.62, 0.62)));
        p.drawLine(P(0.58, 0.58), P(0.88, 0.88));
        break;
    case Glyph::Question: {
        p.setPen(Qt::NoPen);
        p.setBrush(c(30, 110, 190));
        p.drawEllipse(QRectF(P(0.06, 0.06), P(0.94, 0.94)));
        QPen mark(Qt::white, w * 0.11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        QPainterPath hook;
        hook.moveTo(P(0.35, 0.38));
        hook.cubicTo(P(0.35, 0.2), P(0.65, 0.2), P(0.65, 0.38));
        hook.cubicTo(P(0.65, 0.5), P(0.5, 0.5), P(0.5, 0.6));
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(P(0.5, 0.76), w * 0.07, h * 0.07);
        break;
    }
    case Glyph::Warning: {
        p.setPen(QPen(c(170, 110, 0), qMax<qreal>(1.0, w / 24.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(c(250, 190, 30));
        p.drawPolygon(QPolygonF({P(0.5, 0.06), P(0.96, 0.9), P(0.04, 0.9)}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        p.drawPolygon(QPolygonF({P(0.44, 0.33), P(0.56, 0.33), P(0.53, 0.64), P(0.47, 0.64)}));
        p.drawEllipse(P(0.5, 0.76), w * 0.06, h * 0.06);
        break;
    }
    case Glyph::Error: {
        p.setPen(Qt::NoPen);
        p.setBrush(c(200, 40, 30));
        p.drawEllipse(QRectF(P(0.06, 0.06), P(0.94, 0.94)));
        QPen cross(Qt::white, w * 0.12, Qt::SolidLine, Qt::RoundCap);
        p.setPen(cross);
        p.drawLine(P(0.32, 0.32), P(0.68, 0.68));
        p.drawLine(P(0.68, 0.32), P(0.32, 0.68));
        break;
    }
    }
    p.restore();
}

namespace {

// Paints the glyph at whatever size an icon is asked for.
class GlyphIconEngine : public QIconEngine {
public:
    explicit GlyphIconEngine(Glyph glyph) : m_glyph(glyph) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        PaintGlyph(*painter, QRectF(rect), m_glyph, mode != QIcon::Disabled);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new GlyphIconEngine(m_glyph); }

private:
    Glyph m_glyph;
};

} // namespace

QIcon GlyphIcon(Glyph glyph)
{
    return QIcon(new GlyphIconEngine(glyph));
}

} // namespace kv
