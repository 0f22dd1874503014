#include "app/UOpenConf.h"

#include "common/UStyle.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

enum : int {
    TxtCaption = 200,
    TxtDescription = 201,
    TxtLabel = 202,
    TxtOk = 203,
    TxtCancel = 204,
    HintList = 205,
    HintOk = 206,
    HintCancel = 207,
};

} // namespace

TFOpenConf::TFOpenConf(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    kv::ApplyCommonLook(this);

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode, &L_SW_Desc);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 4);
    body->setSpacing(4);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    body->addWidget(Label1);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    body->addWidget(ListBox1, 1);
    outer->addLayout(body, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 6, 16, 6);
    row->addStretch(1);
    Btn_OK = new kv::StyledButton(QStringLiteral("Btn_OK"), buttons, kv::Glyph::Ok);
    Btn_OK->setFixedSize(110, 28);
    // Enter opens the chosen configuration: on the list (which passes the
    // key on to the dialog) and on OK; on Cancel it cancels.
    Btn_OK->setDefault(true);
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    Btn_Cancel = new kv::StyledButton(QStringLiteral("Btn_Cancel"), buttons, kv::Glyph::Cancel);
    Btn_Cancel->setFixedSize(110, 28);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(Btn_OK);
    row->addWidget(Btn_Cancel);
    outer->addWidget(buttons);

    resize(377, 351);
    Set_Lang();
}

void TFOpenConf::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    Label1->setText(T(TxtLabel));
    ListBox1->setToolTip(T(HintList));
    Btn_OK->setText(T(TxtOk));
    Btn_OK->setToolTip(T(HintOk));
    Btn_Cancel->setText(T(TxtCancel));
    Btn_Cancel->setToolTip(T(HintCancel));
}

void TFOpenConf::Load_Existing_Configuration()
{
    // Directories only; hidden ones (a leading "." here) are left out.  A
    // directory listing has no defined order, so the list is sorted by name
    // ignoring letter case.
    const QStringList names = QDir(m_state.ProjectsDir)
                                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    ListBox1->blockSignals(true);
    ListBox1->clear();
    ListBox1->addItems(names);
    ListBox1->blockSignals(false);
}

int TFOpenConf::Search_Open_Conf(const QString& name) const
{
    // The exact name first: "Alpha" and "alpha" are two configurations
    // where the file system tells letter cases apart.
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int i = 0; i < ListBox1->count(); ++i) {
            if (ListBox1->item(i)->text().compare(name, cs) == 0)
                return i;
        }
    }
    return -1;
}

void TFOpenConf::ListBox1Click()
{
    if (QListWidgetItem* item = ListBox1->currentItem())
        m_nameConf = item->text();
}

void TFOpenConf::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Load_Existing_Configuration();
    QString open;
    const QString prefix = m_state.ProjectsDir + QLatin1Char('/');
    if (m_state.ActiveProjectDir.startsWith(prefix))
        open = m_state.ActiveProjectDir.mid(prefix.size());
    int index = open.isEmpty() ? -1 : Search_Open_Conf(open);
    if (index < 0 && ListBox1->count() > 0)
        index = 0;
    ListBox1->blockSignals(true);
    ListBox1->setCurrentRow(index);
    ListBox1->blockSignals(false);
    m_nameConf = index >= 0 ? ListBox1->item(index)->text() : QString();
}
