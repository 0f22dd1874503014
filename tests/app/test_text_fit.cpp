// Every window in every shipped language: no caption or column header is
// wider than its control, and no label that sizes itself to its text runs
// out of its panel or into a neighbour, so nothing the user must read is cut.
#include <QtTest>

#include "AppFixture.h"
#include "HeldQuery.h"
#include "app/USoftOptions.h"
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
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocumentFragment>

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
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            path.prepend(p->objectName());
        if (p->isWindow())
            break;
    }
    return path.join(QLatin1Char('/'));
}

QString captionOf(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text())))
            return QTextDocumentFragment::fromHtml(l->text()).toPlainText();
        return l->text();
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return QString();
}

// Widgets that only frame or hold others (panels, outlines, pages).
bool isContainer(const QWidget* w)
{
    const QMetaObject* m = w->metaObject();
    return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject || qobject_cast<const QGroupBox*>(w)
        || qobject_cast<const QTabWidget*>(w);
}

// The part of a label or check box that its text covers, in its parent's
// coordinates: the control itself when the text fits, else as far as the
// text runs.
QRect textExtent(const QWidget* w)
{
    const int need = w->sizeHint().width();
    if (need > w->width())
        return QRect(w->pos(), QSize(need, w->height()));
    Qt::Alignment align = Qt::AlignLeft;
    if (auto* l = qobject_cast<const QLabel*>(w))
        align = l->alignment();
    return QStyle::alignedRect(w->layoutDirection(), align & Qt::AlignHorizontal_Mask, QSize(need, w->height()),
                               w->geometry());
}

// Two boxes that share columns and more than half the height of the smaller
// one: a text there is drawn over the other.  (Stacked labels touch by a
// pixel or two of their line spacing, which hides nothing.)
bool onSameLine(const QRect& a, const QRect& b)
{
    const QRect both = a & b;
    return !both.isEmpty() && 2 * both.height() > qMin(a.height(), b.height());
}

class Checker {
public:
    explicit Checker(QString language)
        : m_language(std::move(language))
    {
    }

    // One window as it is on screen now, every page of its page controls.
    void check(QWidget* window)
    {
        const QList<QTabWidget*> pageControls = window->findChildren<QTabWidget*>();
        scan(window);
        for (QTabWidget* t : pageControls) {
            if (!t->isVisibleTo(window))
                continue;
            const int current = t->currentIndex();
            for (int i = 0; i < t->count(); ++i) {
                t->setCurrentIndex(i);
                QCoreApplication::processEvents();
                scan(window);
            }
            t->setCurrentIndex(current);
        }
    }

    QStringList faults() const
    {
        QStringList f = m_faults;
        f.removeDuplicates();
        return f;
    }

private:
    void fault(const QWidget* w, const QString& text, const QString& what)
    {
        m_faults << QStringLiteral("%1: %2: \"%3\" %4").arg(m_language, where(w), text, what);
    }
    void tooWide(const QWidget* w, const QString& text, int need, int room)
    {
        fault(w, text, QStringLiteral("needs %1 px, has %2").arg(need).arg(room));
    }

    void scan(QWidget* window)
    {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->window() == window && w->isVisibleTo(window))
                checkControl(w);
        }
    }

    void checkControl(QWidget* w)
    {
        if (auto* b = qobject_cast<kv::StyledButton*>(w)) {
            // The caption is drawn 4 px in from either edge, or beside the
            // glyph, which takes its side plus 8 px.
            const int side = qMin(b->height() - 8, 20);
            const bool glyph = b->glyph() != kv::Glyph::None && side > 4;
            const int room = glyph ? b->width() - side - 12 : b->width() - 8;
            const int need = b->fontMetrics().horizontalAdvance(shown(b->text()));
            if (need > room)
                tooWide(b, b->text(), need, room);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            // sizeHint: indicator, spacing and caption.
            auto* b = static_cast<QAbstractButton*>(w);
            if (!b->text().isEmpty()) {
                if (b->sizeHint().width() > b->width())
                    tooWide(b, b->text(), b->sizeHint().width(), b->width());
                checkPlace(b);
            }
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            const int need = b->fontMetrics().horizontalAdvance(shown(b->text())) + 8;
            if (!b->text().isEmpty() && need > b->width())
                tooWide(b, b->text(), need, b->width());
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!l->text().isEmpty() && !l->wordWrap()) {
                if (l->sizeHint().width() > l->width())
                    tooWide(l, captionOf(l), l->sizeHint().width(), l->width());
                checkPlace(l);
            }
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            const int need = g->fontMetrics().horizontalAdvance(shown(g->title())) + 16;
            if (!g->title().isEmpty() && need > g->width())
                tooWide(g, g->title(), need, g->width());
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox opt;
            opt.initFrom(c);
            opt.editable = c->isEditable();
            opt.frame = c->hasFrame();
            const int room = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).width();
            for (int i = 0; i < c->count(); ++i) {
                const int need = c->fontMetrics().horizontalAdvance(c->itemText(i));
                if (need > room)
                    tooWide(c, c->itemText(i), need, room);
            }
        } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                const QRect tab = t->tabBar()->tabRect(i);
                if (t->tabBar()->mapTo(t, tab.topRight()).x() >= t->width())
                    tooWide(t, t->tabText(i), t->tabBar()->mapTo(t, tab.topRight()).x() + 1, t->width());
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
                    tooWide(h, text, need, h->sectionSize(c));
            }
        }
    }

    // A label or check box that grows with its text must stay inside its
    // panel, off its neighbours and within any outline it sits in.
    void checkPlace(QWidget* w)
    {
        const QRect text = textExtent(w);
        const QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(text))
            fault(w, captionOf(w), QStringLiteral("runs out of %1 (%2 px wide) to x = %3")
                                       .arg(where(parent)).arg(parent->width()).arg(text.right() + 1));
        for (const QObject* o : parent->children()) {
            const auto* n = qobject_cast<const QWidget*>(o);
            if (!n || n == w || n->isWindow() || !n->isVisibleTo(parent) || !onSameLine(text, n->geometry()))
                continue;
            // Sitting inside an outline or panel is fine; crossing its edge is not.
            if (isContainer(n) && n->geometry().contains(text))
                continue;
            fault(w, captionOf(w), QStringLiteral("runs into %1").arg(where(n)));
        }
    }

    QString m_language;
    QStringList m_faults;
};

// Empty language files beside the tested one, so that the options dialog
// has a second page of languages and shows both paging buttons.
const char* const kMoreLanguages[] = {"Español", "Français", "Italiano", "Nederlands", "Polski", "Português", "Svenska"};

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
    HeldQuery version;
    fx.services.version = &version;
    fx.state->CreateWorkspace();
    const QDir shipped(QStringLiteral(KV_SOURCE_DIR "/languages"));
    QStringList files = shipped.entryList({QStringLiteral("*.bmp")}, QDir::Files);
    if (!language.isEmpty())
        files << language + QStringLiteral(".lng");
    for (const QString& file : files)
        QVERIFY(QFile::copy(shipped.filePath(file), fx.path(QStringLiteral("LANGUAGE/")) + file));
    for (const char* name : kMoreLanguages) {
        QFile f(fx.path(QStringLiteral("LANGUAGE/%1.lng").arg(QString::fromUtf8(name))));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    kv::AppSettings settings;
    settings.LanguageName = language.isEmpty() ? QStringLiteral("none") : language;
    settings.ActiveProjectName = QStringLiteral("P");
    QVERIFY(kv::WriteSettings(settings, fx.state->SettingsPath()));
    Checker checker(language.isEmpty() ? QStringLiteral("built-in") : language);

    {
        // No configuration open: the main window's longest labels.
        TFTessaraneFirmWare main(*fx.state, fx.services);
        QVERIFY(!fx.state->HasOpenProject());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        checker.check(&main);
    }

    QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/P/bin"))));
    TFTessaraneFirmWare main(*fx.state, fx.services);
    QVERIFY(fx.state->HasOpenProject());
    QCOMPARE(fx.state->LangFileVersion == QStringLiteral("NO VER."), language.isEmpty()); // the file was read
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    checker.check(&main);
    // A newer version announced beside the title.
    main.Timer_UpdateTimer();
    QVERIFY(version.pending);
    version.answer(QStringLiteral("KV52013 9.999"));
    QVERIFY(main.findChild<QLabel*>(QStringLiteral("LL_Update"))->isVisible());
    checker.check(&main);

    for (QDialog* d : main.findChildren<QDialog*>()) {
        d->show(); // shown, not run: its texts and layout as the user sees them
        QVERIFY(QTest::qWaitForWindowExposed(d));
        checker.check(d);
        d->hide();
    }

    // The options dialog's second page of languages, and both answers of
    // the version check.
    TFSoftOptions* options = main.optionsDialog();
    options->show();
    QVERIFY(QTest::qWaitForWindowExposed(options));
    auto* next = options->findChild<QPushButton*>(QStringLiteral("Btn_Next"));
    QVERIFY(next->isVisible());
    QTest::mouseClick(next, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(options->findChild<QPushButton*>(QStringLiteral("Btn_Prev"))->isVisible());
    checker.check(options);
    for (const QString& answer : {QStringLiteral("KV52013 9.999"), QStringLiteral("KV52013 0.001")}) {
        options->Btn_Check_UpdateClick();
        QVERIFY(version.pending);
        version.answer(answer);
        QVERIFY(!options->findChild<QLabel*>(QStringLiteral("LL_Check_Update"))->isHidden());
        checker.check(options);
    }
    options->hide();

    // One line a fault: the message of a failed check is cut short.
    for (const QString& f : checker.faults())
        qWarning("%s", qPrintable(f));
    QCOMPARE(checker.faults().size(), 0);
}

QTEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
