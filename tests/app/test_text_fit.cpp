// Every window in every shipped language: no caption or column header is
// wider than its control, so nothing the user must read is cut.
#include <QtTest>

#include "AppFixture.h"
#include "app/UTessaraneFirmWare.h"
#include "common/UStyle.h"
#include "state/AppSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

class TestTextFit : public QObject {
    Q_OBJECT
private slots:
    void everyWindow_data();
    void everyWindow();
};

namespace {

QString shown(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QString where(const QWidget* w)
{
    QStringList path;
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (!p->objectName().isEmpty())
            path.prepend(p->objectName());
        if (p->isWindow())
            break;
    }
    return path.join(QLatin1Char('/'));
}

// The width a caption needs beside the control's own parts, and the width
// the control gives it.
struct Need {
    int text;
    int room;
};

// Styled buttons draw their glyph at the left (or right) and the caption in
// what is left, 4 pixels in from either edge.
Need styledButton(const kv::StyledButton* b)
{
    const int side = qMin(b->height() - 8, 20);
    const bool glyph = b->glyph() != kv::Glyph::None && side > 4;
    const int room = glyph ? b->width() - side - 12 : b->width() - 8;
    return {b->fontMetrics().horizontalAdvance(shown(b->text())), room};
}

void checkWindow(QWidget* window, QStringList& faults)
{
    const auto fault = [&faults](const QWidget* w, const QString& text, int need, int room) {
        faults << QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(where(w), text).arg(need).arg(room);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        if (auto* b = qobject_cast<kv::StyledButton*>(w)) {
            if (!b->text().isEmpty()) {
                const Need n = styledButton(b);
                if (n.text > n.room)
                    fault(b, b->text(), n.text, n.room);
            }
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            auto* b = static_cast<QAbstractButton*>(w);
            if (!b->text().isEmpty() && b->sizeHint().width() > b->width())
                fault(b, b->text(), b->sizeHint().width(), b->width());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            const int need = b->fontMetrics().horizontalAdvance(shown(b->text())) + 8;
            if (!b->text().isEmpty() && need > b->width())
                fault(b, b->text(), need, b->width());
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            // Labels size themselves; they must stay inside their panel.
            if (!l->text().isEmpty() && !l->wordWrap() && l->pixmap().isNull()) {
                const int need = l->x() + l->sizeHint().width();
                const int room = l->parentWidget()->width();
                if (need > room || l->sizeHint().width() > l->width())
                    fault(l, l->text(), need, qMin(room, l->x() + l->width()));
            }
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            const int need = g->fontMetrics().horizontalAdvance(shown(g->title())) + 16;
            if (!g->title().isEmpty() && need > g->width())
                fault(g, g->title(), need, g->width());
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            const int room = c->width() - 24; // frame and arrow
            for (int i = 0; i < c->count(); ++i) {
                const int need = c->fontMetrics().horizontalAdvance(c->itemText(i));
                if (need > room)
                    fault(c, c->itemText(i), need, room);
            }
        } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                if (t->tabBar()->tabRect(i).right() > t->width())
                    fault(t, t->tabText(i), t->tabBar()->tabRect(i).right(), t->width());
            }
        } else if (auto* v = qobject_cast<QTableView*>(w)) {
            QHeaderView* h = v->horizontalHeader();
            const int margin = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
            for (int c = 0; c < h->count(); ++c) {
                if (h->isSectionHidden(c))
                    continue;
                const QString text = v->model()->headerData(c, Qt::Horizontal).toString();
                const int need = h->fontMetrics().horizontalAdvance(text) + margin;
                if (need > h->sectionSize(c))
                    fault(h, text, need, h->sectionSize(c));
            }
        }
    }
}

} // namespace

void TestTextFit::everyWindow_data()
{
    QTest::addColumn<QString>("language"); // "" for the built-in texts
    QTest::newRow("built-in") << QString();
    const QDir shipped(QStringLiteral(KV_SOURCE_DIR "/languages"));
    for (const QString& file : shipped.entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file)) << file.chopped(4);
}

void TestTextFit::everyWindow()
{
    QFETCH(QString, language);
    AppFixture fx;
    fx.state->CreateWorkspace();
    if (!language.isEmpty()) {
        const QString file = language + QStringLiteral(".lng");
        QVERIFY(QFile::copy(QStringLiteral(KV_SOURCE_DIR "/languages/") + file,
                            fx.path(QStringLiteral("LANGUAGE/")) + file));
    }
    QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/P/bin"))));
    kv::AppSettings settings;
    settings.LanguageName = language.isEmpty() ? QStringLiteral("none") : language;
    settings.ActiveProjectName = QStringLiteral("P");
    QVERIFY(kv::WriteSettings(settings, fx.state->SettingsPath()));
    TFTessaraneFirmWare main(*fx.state, fx.services);
    QCOMPARE(fx.state->LangFileVersion == QStringLiteral("NO VER."), language.isEmpty()); // the file was read
    // The message boxes speak the same language as the windows.
    if (language == QLatin1String("Deutsch")) {
        QCOMPARE(fx.messages.boxTexts().errorTitle, QStringLiteral("Fehler"));
        QCOMPARE(fx.messages.boxTexts().no, QStringLiteral("Nein"));
    }

    QStringList faults;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    checkWindow(&main, faults);
    for (QDialog* d : main.findChildren<QDialog*>()) {
        d->show(); // shown, not run: its texts and layout as the user sees them
        QCoreApplication::processEvents();
        checkWindow(d, faults);
        d->hide();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
