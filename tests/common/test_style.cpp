#include <QtTest>

#include "common/UStyle.h"

#include <QVBoxLayout>

// The look of the styled button: only the button under the mouse is hot,
// and the keyboard's button wears a mark of its own.
class TestStyle : public QObject {
    Q_OBJECT
private slots:
    void hoverEndsWhenTheButtonIsHidden();
    void focusIsNotPaintedAsHover();
};

namespace {

// A pixel inside the border, away from glyph and caption.
QColor fillOf(QWidget* button)
{
    return button->grab().toImage().pixelColor(button->width() - 7, button->height() / 2);
}

const QColor kHot(255, 240, 205);

struct Window {
    QWidget window;
    kv::StyledButton* ok;
    kv::StyledButton* cancel;
    Window()
    {
        kv::ApplyCommonLook(&window);
        ok = new kv::StyledButton(QStringLiteral("Btn_OK"), &window, kv::Glyph::Ok);
        cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), &window, kv::Glyph::Cancel);
        ok->setText(QStringLiteral("OK"));
        cancel->setText(QStringLiteral("Cancel"));
        ok->setGeometry(10, 10, 110, 28);
        cancel->setGeometry(130, 10, 110, 28);
        window.resize(260, 50);
        window.show();
    }
};

} // namespace

void TestStyle::hoverEndsWhenTheButtonIsHidden()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QTest::mouseMove(w.ok, QPoint(20, 10));
    QCoreApplication::processEvents();
    QCOMPARE(fillOf(w.ok), kHot);
    QCOMPARE(fillOf(w.cancel), kv::WindowBackground());
    // The dialog closes under the mouse, then opens again elsewhere.
    w.window.hide();
    QCoreApplication::processEvents();
    w.window.move(400, 400);
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QCOMPARE(fillOf(w.ok), kv::WindowBackground());
}

void TestStyle::focusIsNotPaintedAsHover()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.ok->setFocus();
    QCoreApplication::processEvents();
    const QImage plain = w.cancel->grab().toImage();
    w.cancel->setFocus();
    QTest::mouseMove(w.ok, QPoint(20, 10));
    QCoreApplication::processEvents();
    QCOMPARE(fillOf(w.ok), kHot);
    QCOMPARE(fillOf(w.cancel), kv::WindowBackground()); // focused, yet not hot
    // The focused button still shows that it has the keyboard, in no pixel
    // of the hover colour.
    const QImage focused = w.cancel->grab().toImage();
    QVERIFY(focused != plain);
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x)
            QVERIFY(focused.pixelColor(x, y) != kHot);
    }
}

QTEST_MAIN(TestStyle)
#include "test_style.moc"
