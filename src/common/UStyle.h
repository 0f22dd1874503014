#pragma once
#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace kv {

// The look every window shares.
inline QColor WindowBackground() { return QColor(248, 247, 237); }

// Once per process: Verdana 8 pt as the application font, with DejaVu Sans
// standing in where Verdana is missing.
void InstallApplicationLook();

// Background colour and font of a window.
void ApplyCommonLook(QWidget* window);

// The shown window of type W among parent's direct children, or null.  A
// window closed a moment ago may still wait for its deletion: only a shown
// one counts.
template <class W>
W* ShownChildWindow(QWidget* parent)
{
    W* shown = nullptr;
    if (parent) {
        for (W* w : parent->findChildren<W*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                shown = w;
        }
    }
    return shown;
}

// Heights of the title panel and the button panel every dialog shares.
constexpr int TitlePanelHeight = 69;
constexpr int ButtonPanelHeight = 40;

// The title panel (69 px high, full width) with L_SW_Code (large grey) at
// (16, 8) and L_SW_Desc (bold grey) at (16, 42).  Returns the panel; the two
// labels are found by their object names.
QWidget* CreateTitlePanel(QWidget* parent, const QString& code, const QString& description);

// The layout of a window laid out top to bottom with no margins, the title
// panel (the code, no description yet) first; *description (when given)
// receives the panel's L_SW_Desc for the window's own text.
QVBoxLayout* CreateTitledLayout(QWidget* window, const QString& code, QLabel** description = nullptr);

// The button panel: 40 px high, laid at the bottom by the caller.
QWidget* CreateButtonPanel(QWidget* parent);

// A label that shows `text` large and grey (SoftwareCode).
void StyleCodeLabel(QLabel* label);
// A label with its object name, placed at left, top of parent.
QLabel* NamedLabel(QWidget* parent, const char* name, int left, int top);
// True for the release of the left button inside the watched widget: a
// click on a label or an image.
bool IsClickInside(QObject* watched, class QEvent* event);
void StyleDescriptionLabel(QLabel* label);
// A label in bold, in the colour given.
void StyleBoldLabel(QLabel* label, const QColor& colour);

enum class Glyph { None, Ok, Cancel, New, Open, Settings, Params, Table, Document, Update, Info, Options,
                   Close, Delete, Insert, Copy, Paste, Previous, Next, Collapse, Expand, Search,
                   Question, Warning, Error };

// The styled push button: flat, lit while the pointer is over it, a small
// glyph, orange while pressed.
class StyledButton : public QPushButton {
    Q_OBJECT
public:
    StyledButton(const QString& objectName, QWidget* parent, Glyph glyph = Glyph::None);
    void setGlyph(Glyph glyph);
    // Puts the glyph to the right of the caption ("Next").
    void setGlyphOnRight(bool right);
    Glyph glyph() const { return m_glyph; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Glyph m_glyph = Glyph::None;
    bool m_glyphRight = false;
    bool m_hot = false;
};

// Moves a window to the centre of its screen (of its parent's, when it has
// a parent).
void CenterOnScreen(QWidget* window);

// Draws one glyph into the rectangle (also used for icon buttons).
void PaintGlyph(class QPainter& p, const QRectF& r, Glyph glyph, bool enabled);

// The glyph as an icon, drawn afresh for every size and pixel ratio: sharp
// at any scale factor, where a bitmap icon is blurred.
QIcon GlyphIcon(Glyph glyph);

} // namespace kv
