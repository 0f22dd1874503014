#include <QtTest>
#include "common/UStyle.h"

#include "TestFiles.h"
#include "AppFixture.h"
#include "HeldQuery.h"
#include "app/USoftOptions.h"
#include "app/VersionCheck.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <functional>

namespace {

void writePicture(const QString& path, QSize size, QColor colour, const char* format)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QVERIFY(img.save(path, format));
}


// The options dialog on its own, on a temporary workspace.
struct OptionsFixture : AppFixture {
    HeldQuery version;
    std::unique_ptr<TFSoftOptions> dlg;

    OptionsFixture()
    {
        state->CreateWorkspace();
        services.version = &version;
    }
    QString lang(const QString& file) const { return state->LanguageDir + QLatin1Char('/') + file; }
    TFSoftOptions* open()
    {
        if (!dlg)
            dlg = std::make_unique<TFSoftOptions>(*state, services);
        dlg->show();
        return dlg.get();
    }
    template <class T>
    T* find(const char* name) const
    {
        T* w = dlg->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLabel* label(const char* name) const { return find<QLabel>(name); }
    QLabel* slotLabel(int k) const { return label(QByteArray("L_L" + QByteArray::number(k)).constData()); }
    QLabel* slotPicture(int k) const { return label(QByteArray("I_L" + QByteArray::number(k)).constData()); }
    // Names shown in slots 1..6, "" for a hidden slot.
    QStringList shownNames() const
    {
        QStringList names;
        for (int k = 1; k <= 6; ++k)
            names << (slotLabel(k)->isVisibleTo(dlg.get()) ? slotLabel(k)->text() : QString());
        return names;
    }
};

QStringList padSlots(QStringList names)
{
    while (names.size() < 6)
        names << QString();
    return names;
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void paging_data();
    void paging();
    void listing();
    void flags();
    void checkBoxRules_data();
    void checkBoxRules();
    void cancelStoresNothing();
    void languageQuestion();
    void checkUpdateButton_data();
    void checkUpdateButton();
    void pagesWearTheWindowColour();
};

void TestOptions::paging_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QList<int>>("perPage"); // visible slots on each page
    QTest::newRow("none") << 0 << 0 << QList<int>{0};
    QTest::newRow("six") << 6 << 1 << QList<int>{6};
    QTest::newRow("seven") << 7 << 2 << QList<int>{6, 1};
    QTest::newRow("thirteen") << 13 << 3 << QList<int>{6, 6, 1};
}

void TestOptions::paging()
{
    QFETCH(int, files);
    QFETCH(int, pages);
    QFETCH(QList<int>, perPage);
    OptionsFixture fx;
    QStringList all;
    for (int i = 1; i <= files; ++i) {
        const QString name = QStringLiteral("Lang%1").arg(i, 2, 10, QLatin1Char('0'));
        writeFile(fx.lang(name + QStringLiteral(".lng")), "STR0 = x\r\n");
        all << name;
    }
    TFSoftOptions* d = fx.open();
    auto* prev = fx.find<QPushButton>("Btn_Prev");
    auto* next = fx.find<QPushButton>("Btn_Next");
    QCOMPARE(d->PageCount(), pages);

    for (int p = 1; p <= perPage.size(); ++p) {
        QCOMPARE(d->Show_Page(), p);
        QCOMPARE(fx.label("L_Page_Lang")->text(), QStringLiteral("Page %1 / %2").arg(p).arg(pages));
        QCOMPARE(prev->isVisibleTo(d), p != 1);
        QCOMPARE(next->isVisibleTo(d), p != pages);
        QCOMPARE(fx.shownNames(), padSlots(all.mid((p - 1) * 6, perPage.at(p - 1))));
        if (p < perPage.size())
            QTest::mouseClick(next, Qt::LeftButton);
    }
    // Past the last page "next" changes nothing (with no files it is still shown).
    d->Btn_NextClick(true);
    QCOMPARE(d->Show_Page(), perPage.size());
    for (int p = perPage.size() - 1; p >= 1; --p) {
        QTest::mouseClick(prev, Qt::LeftButton);
        QCOMPARE(d->Show_Page(), p);
    }
    d->Btn_NextClick(false);
    QCOMPARE(d->Show_Page(), 1);

    // Each show starts again on page 1 of the language page.
    if (pages > 1) {
        d->Btn_NextClick(true);
        fx.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        d->hide();
        fx.open();
        QCOMPARE(d->Show_Page(), 1);
        QCOMPARE(fx.find<QTabWidget>("PageControl1")->currentWidget()->objectName(), QStringLiteral("TS_Language"));
    }
}

void TestOptions::listing()
{
    OptionsFixture fx;
    for (const char* n : {"italiano.lng", "Deutsch.lng", ".Hidden.lng", "English.lng", "ReadOnly.lng",
                          "GroupWritable.lng", "Upper.LNG", "notes.txt", "Deutsch.lng.bak"})
        writeFile(fx.lang(QLatin1String(n)), "STR0 = x\r\n");
    QVERIFY(QFile::setPermissions(fx.lang(QStringLiteral("ReadOnly.lng")),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(fx.lang(QStringLiteral("GroupWritable.lng")),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::WriteGroup));
    QVERIFY(QDir(fx.state->LanguageDir).mkdir(QStringLiteral("Folder.lng")));
#ifndef Q_OS_WIN
    // (On Windows this would make a shortcut, which is an ordinary file.)
    QVERIFY(QFile::link(fx.lang(QStringLiteral("English.lng")), fx.lang(QStringLiteral("Link.lng"))));
#endif

    TFSoftOptions* d = fx.open();
    QCOMPARE(d->SL_Languages(), (QStringList{QStringLiteral(".Hidden.lng"), QStringLiteral("Deutsch.lng"),
                                             QStringLiteral("English.lng"), QStringLiteral("GroupWritable.lng"),
                                             QStringLiteral("italiano.lng")}));
    QCOMPARE(fx.shownNames(), padSlots({QStringLiteral(".Hidden"), QStringLiteral("Deutsch"), QStringLiteral("English"),
                                        QStringLiteral("GroupWritable"), QStringLiteral("italiano")}));

    // The list is rebuilt on every show.
    QVERIFY(QFile::remove(fx.lang(QStringLiteral("Deutsch.lng"))));
    d->hide();
    fx.open();
    QVERIFY(!d->SL_Languages().contains(QStringLiteral("Deutsch.lng")));
}

void TestOptions::flags()
{
    OptionsFixture fx;
    // Slots in list order: A own bitmap, B the default flag, C a broken
    // picture, D a PNG, E PNG bytes in a .bmp file, F tall picture.
    for (const char* n : {"A", "B", "C", "D", "E", "F"})
        writeFile(fx.lang(QLatin1String(n) + QStringLiteral(".lng")), "STR0 = x\r\n");
    writePicture(fx.lang(QStringLiteral("A.bmp")), QSize(96, 64), Qt::red, "BMP");
    writePicture(fx.lang(QStringLiteral("DefaultFlag.bmp")), QSize(48, 48), Qt::green, "BMP");
    writeFile(fx.lang(QStringLiteral("C.bmp")), "this is not a picture");
    writePicture(fx.lang(QStringLiteral("D.png")), QSize(30, 20), Qt::blue, "PNG");
    writePicture(fx.lang(QStringLiteral("E.bmp")), QSize(48, 48), Qt::yellow, "PNG");
    writePicture(fx.lang(QStringLiteral("F.bmp")), QSize(100, 200), Qt::cyan, "BMP");

    TFSoftOptions* d = fx.open();
    const auto colourAndSize = [&](int k) -> QString {
        QLabel* pic = fx.slotPicture(k);
        if (!pic->isVisibleTo(d))
            return QStringLiteral("hidden");
        const QImage img = pic->pixmap().toImage();
        return QStringLiteral("%1 %2x%3").arg(QColor(img.pixel(img.width() / 2, img.height() / 2)).name())
            .arg(img.width()).arg(img.height());
    };
    QCOMPARE(colourAndSize(1), QStringLiteral("#ff0000 48x32"));
    QCOMPARE(colourAndSize(2), QStringLiteral("#00ff00 48x48"));
    QCOMPARE(colourAndSize(3), QStringLiteral("hidden"));
    QCOMPARE(colourAndSize(4), QStringLiteral("#0000ff 48x32"));
    QCOMPARE(colourAndSize(5), QStringLiteral("#ffff00 48x48"));
    QCOMPARE(colourAndSize(6), QStringLiteral("#00ffff 24x48"));
    QVERIFY(fx.slotLabel(3)->isVisibleTo(d));

    // Without the default flag, a language without a picture shows its label alone.
    QVERIFY(QFile::remove(fx.lang(QStringLiteral("DefaultFlag.bmp"))));
    d->hide();
    fx.open();
    QCOMPARE(colourAndSize(2), QStringLiteral("hidden"));
    QVERIFY(fx.slotLabel(2)->isVisibleTo(d));
    QCOMPARE(colourAndSize(1), QStringLiteral("#ff0000 48x32"));
}

void TestOptions::checkBoxRules_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("updateEnabled");
    QTest::addColumn<bool>("buttonEnabled");
    QTest::newRow("both") << true << true << true << true;
    QTest::newRow("internet only") << true << false << true << false;
    QTest::newRow("update only") << false << true << false << false;
    QTest::newRow("neither") << false << false << false << false;
}

void TestOptions::checkBoxRules()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, updateEnabled);
    QFETCH(bool, buttonEnabled);
    OptionsFixture fx;
    fx.state->Settings.EnableInternet = internet;
    fx.state->Settings.EnableUpdate = update;
    fx.state->Settings.EnableJumpFieldTables = internet;
    fx.state->Settings.DoubleClickAutoSize = update;
    TFSoftOptions* d = fx.open();
    auto* enCon = fx.find<QCheckBox>("CB_En_Con");
    auto* cbUpdate = fx.find<QCheckBox>("CB_Update");
    auto* button = fx.find<QPushButton>("Btn_Check_Update");
    QCOMPARE(enCon->isChecked(), internet);
    QCOMPARE(cbUpdate->isChecked(), update);
    QCOMPARE(cbUpdate->isEnabled(), updateEnabled);
    QCOMPARE(button->isEnabled(), buttonEnabled);
    QCOMPARE(fx.find<QCheckBox>("CB_Soft_Set_Jump_Table")->isChecked(), internet);
    QCOMPARE(fx.find<QCheckBox>("CB_DoubleClick_Auto_Size")->isChecked(), update);

    // The user flips the connection box: the update box follows its
    // enabled state but keeps its mark.
    enCon->click();
    QCOMPARE(cbUpdate->isEnabled(), !internet);
    QCOMPARE(cbUpdate->isChecked(), update);
    QCOMPARE(button->isEnabled(), !internet && update);
    fx.find<QCheckBox>("CB_Soft_Set_Jump_Table")->click();
    fx.find<QCheckBox>("CB_DoubleClick_Auto_Size")->click();

    d->Btn_OKClick();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(fx.state->Settings.EnableInternet, !internet);
    QCOMPARE(fx.state->Settings.EnableUpdate, update); // stored also from a disabled box
    QCOMPARE(fx.state->Settings.EnableJumpFieldTables, !internet);
    QCOMPARE(fx.state->Settings.DoubleClickAutoSize, !update);
    QCOMPARE(fx.state->Settings.LanguageName, QStringLiteral("English"));
}

void TestOptions::cancelStoresNothing()
{
    OptionsFixture fx;
    writeFile(fx.lang(QStringLiteral("Deutsch.lng")), "STR0 = x\r\n");
    fx.state->Settings.EnableInternet = true;
    const kv::AppSettings before = fx.state->Settings;
    TFSoftOptions* d = fx.open();
    for (const char* box : {"CB_En_Con", "CB_Update", "CB_Soft_Set_Jump_Table", "CB_DoubleClick_Auto_Size"})
        fx.find<QCheckBox>(box)->click();
    fx.messages.answers = {true};
    d->LangClick(1);
    QCOMPARE(d->Language_In_Use(), QStringLiteral("Deutsch"));
    QTest::mouseClick(fx.find<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QVERIFY(fx.state->Settings == before);
}

void TestOptions::languageQuestion()
{
    OptionsFixture fx;
    for (const char* n : {"Deutsch.lng", "English.lng"})
        writeFile(fx.lang(QLatin1String(n)), "STR0 = x\r\n");
    writePicture(fx.lang(QStringLiteral("DefaultFlag.bmp")), QSize(48, 32), Qt::gray, "BMP");
    TFSoftOptions* d = fx.open();
    QSignalSpy chosen(d, &TFSoftOptions::languageChosen);
    QCOMPARE(fx.label("L_Sel_Lang")->text(), QStringLiteral("Selected Language : English"));

    // No: nothing changes.
    fx.messages.answers = {false};
    QTest::mouseClick(fx.slotLabel(1), Qt::LeftButton);
    QCOMPARE(fx.messages.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Deutsch?")});
    QCOMPARE(chosen.size(), 0);
    QCOMPARE(d->Language_In_Use(), QStringLiteral("English"));

    // Yes on the picture: the language is applied and becomes the one in use.
    fx.messages.log.clear();
    fx.messages.answers = {true};
    QTest::mouseClick(fx.slotPicture(1), Qt::LeftButton, {}, QPoint(24, 24));
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("Deutsch"));
    QCOMPARE(d->Language_In_Use(), QStringLiteral("Deutsch"));
    QCOMPARE(fx.label("L_Sel_Lang")->text(), QStringLiteral("Selected Language : Deutsch"));

    // The language in use is asked about too, and Yes applies it again.
    fx.messages.log.clear();
    fx.messages.answers = {true};
    d->LangClick(1);
    QCOMPARE(fx.messages.texts(), QStringList{QStringLiteral("Do you want to change the Language from Deutsch to Deutsch?")});
    QCOMPARE(chosen.size(), 2);

    // A hidden slot is no language.
    d->LangClick(3);
    QCOMPARE(fx.messages.log.size(), 1);

    d->Btn_OKClick();
    QCOMPARE(fx.state->Settings.LanguageName, QStringLiteral("Deutsch"));
}

void TestOptions::checkUpdateButton_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("newer");
    QTest::newRow("newer version") << "VER. 1.001" << true;
    QTest::newRow("no answer") << "" << false;
}

void TestOptions::checkUpdateButton()
{
    QFETCH(QString, answer);
    QFETCH(bool, newer);
    OptionsFixture fx;
    fx.state->Settings.EnableInternet = true; // the periodic check stays off
    TFSoftOptions* d = fx.open();
    auto* button = fx.find<QPushButton>("Btn_Check_Update");
    auto* link = fx.label("LL_Check_Update");
    fx.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QVERIFY(!button->isEnabled());
    fx.find<QCheckBox>("CB_Update")->click();
    QVERIFY(button->isEnabled());
    QVERIFY(link->isHidden());

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(fx.version.calls, 1);
    QVERIFY(!button->isEnabled());
    // Other boxes re-run the enabling rule; the running check keeps the button off.
    fx.find<QCheckBox>("CB_Soft_Set_Jump_Table")->click();
    QVERIFY(!button->isEnabled());
    d->Btn_Check_UpdateClick();
    QCOMPARE(fx.version.calls, 1);

    fx.version.answer(answer);
    QVERIFY(button->isEnabled());
    QVERIFY(!link->isHidden());
    if (newer) {
        QCOMPARE(link->textFormat(), Qt::RichText);
        QVERIFY(link->text().contains(QStringLiteral(">New Version Available. Click Here for more Details</a>")));
        const QRegularExpressionMatch href = QRegularExpression(QStringLiteral("href=\"([^\"]+)\"")).match(link->text());
        QVERIFY(href.hasMatch());
        QCOMPARE(QUrl(href.captured(1)), kv::VendorDownloadPageUrl());
        emit link->linkActivated(href.captured(1));
        QCOMPARE(fx.urls.opened, QList<QUrl>{kv::VendorDownloadPageUrl()});
    } else {
        QCOMPARE(link->text(), QStringLiteral("No Update Available"));
        QVERIFY(!link->text().contains(QLatin1String("href")));
    }

    // The next show hides the result again; an answer for a closed dialog is dropped.
    QTest::mouseClick(button, Qt::LeftButton);
    d->hide();
    fx.open();
    fx.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QVERIFY(link->isHidden());
    fx.version.answer(QStringLiteral("VER. 1.001"));
    QVERIFY(link->isHidden());
    QVERIFY(!d->CheckRunning());
}

void TestOptions::pagesWearTheWindowColour()
{
    OptionsFixture fx;
    TFSoftOptions* d = fx.open();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    auto* pages = fx.find<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QWidget* page = pages->widget(i);
        QCoreApplication::processEvents();
        // Seen in the whole window, as the user sees it.
        const QPoint corner = page->mapTo(d, QPoint(page->width() - 2, page->height() - 2));
        QCOMPARE(d->grab().toImage().pixelColor(corner), kv::WindowBackground());
    }
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
