#include "snmp/UMibLibrary.h"

#include "common/Files.h"
#include "common/UStyle.h"
#include "snmp/MibFolder.h"
#include "snmp/MibLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum : int {
    TxtName = 1167,
    TxtClose = 1152,
    TxtCaption = 1263,
    TxtFile = 1264,
    TxtState = 1265,
    TxtLoaded = 1266,
    TxtMissingImports = 1267,
    TxtAddFiles = 1268,
    TxtRemove = 1269,
    TxtReplaceQuestion = 1270,
    TxtRemoveQuestion = 1271,
    TxtNotAModule = 1272,
};

// The names a file dialog shows whatever the language.
const QString kMibFilter = QStringLiteral("MIB (*.mib *.my *.txt);;* (*)");

const QColor kFailedText(170, 20, 20);
const QColor kFailedBack(253, 228, 226);

constexpr int kRemovableRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;

// "Add files..." without its dots, for the file dialog's title.
QString withoutDots(QString text)
{
    while (text.endsWith(QLatin1Char('.')) || text.endsWith(QChar(0x2026)))
        text.chop(1);
    return text.trimmed();
}

// Room for the glyph beside the caption.
void fitButton(kv::StyledButton* b)
{
    b->setMinimumWidth(std::max(110, b->fontMetrics().horizontalAdvance(b->text()) + 56));
}

} // namespace

TFMibLibrary* TFMibLibrary::showFor(kv::AppState& state, kv::UiServices& services, QWidget* parent)
{
    TFMibLibrary* w = kv::ShownChildWindow<TFMibLibrary>(parent);
    if (!w) {
        w = new TFMibLibrary(state, services, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->FormShow();
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

TFMibLibrary::TFMibLibrary(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : kv::OwnedWindow(parent)
    , m_state(state)
    , m_services(services)
{
    setObjectName(QStringLiteral("TFMibLibrary"));

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode);

    ACG_Modules = new QTableWidget(0, 3, this);
    ACG_Modules->setObjectName(QStringLiteral("ACG_Modules"));
    ACG_Modules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ACG_Modules->setSelectionBehavior(QAbstractItemView::SelectRows);
    ACG_Modules->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ACG_Modules->setWordWrap(false);
    ACG_Modules->setTextElideMode(Qt::ElideMiddle); // a path keeps its file name in sight
    ACG_Modules->verticalHeader()->hide();
    ACG_Modules->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView* header = ACG_Modules->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    ACG_Modules->setColumnWidth(ColModule, 210);
    ACG_Modules->setColumnWidth(ColFile, 330);
    connect(ACG_Modules->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFMibLibrary::selectionChanged);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 8);
    body->addWidget(ACG_Modules);
    outer->addLayout(body, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 6, 16, 6);
    row->setSpacing(12);
    const auto button = [buttons, row](const char* name, kv::Glyph glyph) {
        auto* b = new kv::StyledButton(QString::fromLatin1(name), buttons, glyph);
        b->setMinimumSize(110, 28);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    Btn_Add = button("Btn_Add", kv::Glyph::Open);
    Btn_Remove = button("Btn_Remove", kv::Glyph::Delete);
    row->addStretch(1);
    Btn_Close = button("Btn_Close", kv::Glyph::Close);
    connect(Btn_Add, &QPushButton::clicked, this, &TFMibLibrary::Btn_AddClick);
    connect(Btn_Remove, &QPushButton::clicked, this, &TFMibLibrary::Btn_RemoveClick);
    connect(Btn_Close, &QPushButton::clicked, this, &QWidget::close);
    outer->addWidget(buttons);

    setMinimumSize(480, 300);
    resize(860, 460);
    Set_Lang();
    selectionChanged();
}

void TFMibLibrary::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    const QString caption = withoutDots(T(TxtCaption));
    setWindowTitle(caption);
    if (auto* desc = findChild<QLabel*>(QStringLiteral("L_SW_Desc"))) {
        desc->setText(caption);
        desc->adjustSize();
    }
    ACG_Modules->setHorizontalHeaderLabels({T(TxtName), T(TxtFile), T(TxtState)});
    Btn_Add->setText(T(TxtAddFiles));
    Btn_Remove->setText(T(TxtRemove));
    Btn_Close->setText(T(TxtClose));
    for (kv::StyledButton* b : {Btn_Add, Btn_Remove, Btn_Close})
        fitButton(b);
    fill(); // the states are texts too
}

void TFMibLibrary::FormShow()
{
    // A module copied into MIBS by hand shows without a restart.
    kv::MibLibrary::ReloadIfChanged();
    fill();
}

void TFMibLibrary::fill()
{
    QStringList selected;
    for (int line : selectedLines())
        selected << ACG_Modules->item(line, ColModule)->text();

    // The user's own modules first: those are the ones to look after.  Only
    // they can be removed.
    QList<kv::MibModuleState> states;
    QList<kv::MibModuleState> others;
    for (const kv::MibModuleState& s : kv::MibLibrary::Modules())
        (kv::MibFileIsIn(s.file, m_state.MibsDir) ? states : others).append(s);
    const qsizetype own = states.size();
    states += others;

    ACG_Modules->setUpdatesEnabled(false);
    ACG_Modules->clearSelection();
    ACG_Modules->setRowCount(int(states.size()));
    for (int line = 0; line < states.size(); ++line) {
        const kv::MibModuleState& s = states.at(line);
        QString file = QDir::toNativeSeparators(s.file);
        QString state;
        switch (s.kind) {
        case kv::MibModuleState::Loaded:
            state = m_state.Text(TxtLoaded);
            break;
        case kv::MibModuleState::Failed:
            if (s.line > 0)
                file += QLatin1Char(':') + QString::number(s.line);
            state = s.message;
            break;
        case kv::MibModuleState::MissingImports:
            state = m_state.Text(TxtMissingImports).arg(s.missing.join(QStringLiteral(", ")));
            break;
        }
        const bool removable = line < own;
        const QStringList texts{s.name, file, state};
        for (int c = ColModule; c <= ColState; ++c) {
            auto* item = new QTableWidgetItem(texts.at(c));
            item->setToolTip(texts.at(c)); // whole, where the column cuts it
            if (!s.loaded()) {
                item->setForeground(kFailedText);
                item->setBackground(kFailedBack);
            }
            ACG_Modules->setItem(line, c, item);
        }
        // Seen even on a chosen line, whose colours are the selection's.
        if (!s.loaded())
            ACG_Modules->item(line, ColState)->setIcon(kv::GlyphIcon(kv::Glyph::Error));
        ACG_Modules->item(line, ColModule)->setData(kRemovableRole, removable);
        ACG_Modules->item(line, ColModule)->setData(kPathRole, s.file);
    }
    ACG_Modules->setUpdatesEnabled(true);
    select(selected);
    selectionChanged();
}

int TFMibLibrary::lineOf(const QString& module) const
{
    for (int line = 0; line < ACG_Modules->rowCount(); ++line) {
        if (ACG_Modules->item(line, ColModule)->text() == module)
            return line;
    }
    return -1;
}

QList<int> TFMibLibrary::selectedLines() const
{
    QList<int> lines;
    for (const QModelIndex& i : ACG_Modules->selectionModel()->selectedRows())
        lines << i.row();
    std::sort(lines.begin(), lines.end());
    return lines;
}

void TFMibLibrary::selectionChanged()
{
    // Only modules of the user's MIBS: the shipped base and the system's
    // folders are not the configurator's to delete.
    const QList<int> lines = selectedLines();
    bool removable = !lines.isEmpty();
    for (int line : lines)
        removable = removable && ACG_Modules->item(line, ColModule)->data(kRemovableRole).toBool();
    Btn_Remove->setEnabled(removable);
}

void TFMibLibrary::Btn_AddClick()
{
    const QStringList files = m_services.files->getOpenFileNames(this, withoutDots(m_state.Text(TxtAddFiles)),
                                                                 QDir::homePath(), kMibFilter);
    if (files.isEmpty())
        return;
    QDir().mkpath(m_state.MibsDir); // a failure is told by the copy
    QStringList added;
    bool changed = false;
    for (const QString& file : files) {
        const kv::MibAddPlan plan = kv::PlanMibAdd(m_state.MibsDir, file);
        switch (plan.kind) {
        case kv::MibAddPlan::Unreadable:
            m_services.messages->error(this, plan.error);
            continue;
        case kv::MibAddPlan::NotAModule:
            m_services.messages->error(this, m_state.Text(TxtNotAModule).arg(QDir::toNativeSeparators(file)));
            continue;
        case kv::MibAddPlan::Same:
            added << plan.module;
            continue;
        case kv::MibAddPlan::Replaces: {
            const QString present = plan.replacedModule.isEmpty() ? QFileInfo(plan.target).fileName() : plan.replacedModule;
            const QString question = m_state.Text(TxtReplaceQuestion)
                                         .arg(present, QDir::toNativeSeparators(plan.target), QDir::toNativeSeparators(file));
            if (!m_services.messages->question(this, question, kv::IMessageService::Default::No))
                continue;
            break;
        }
        case kv::MibAddPlan::New:
            break;
        }
        QString error;
        if (!kv::CopyMibFile(file, plan.target, &error)) {
            m_services.messages->error(this, error);
            continue;
        }
        added << plan.module;
        changed = true;
    }
    if (changed) {
        reloadAndSelect(added);
    } else if (!added.isEmpty()) {
        ACG_Modules->clearSelection();
        select(added);
    }
}

void TFMibLibrary::Btn_RemoveClick()
{
    if (!Btn_Remove->isEnabled())
        return;
    QStringList names;
    QStringList paths;
    for (int line : selectedLines()) {
        const QTableWidgetItem* item = ACG_Modules->item(line, ColModule);
        names << item->text();
        paths << item->data(kPathRole).toString();
    }
    if (names.isEmpty()
        || !m_services.messages->question(this, m_state.Text(TxtRemoveQuestion).arg(names.join(QStringLiteral(", "))),
                                          kv::IMessageService::Default::No))
        return;
    for (const QString& path : paths) {
        QFile f(path);
        if (!f.remove())
            m_services.messages->error(this, kv::FileMessage(path, f.errorString()));
    }
    reloadAndSelect(QStringList());
}

void TFMibLibrary::reloadAndSelect(const QStringList& modules)
{
    // On this thread, the one that sends the requests: the client looks the
    // tree up afresh for every answer and keeps nothing of it between two,
    // so a test running beside this window is safe.
    kv::MibLibrary::Reload();
    ACG_Modules->clearSelection();
    fill();
    select(modules);
}

void TFMibLibrary::select(const QStringList& modules)
{
    bool shown = false;
    for (const QString& m : modules) {
        const int line = lineOf(m);
        if (line < 0)
            continue;
        const QModelIndex at = ACG_Modules->model()->index(line, ColModule);
        QItemSelectionModel* sm = ACG_Modules->selectionModel();
        if (!shown) {
            sm->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
            ACG_Modules->scrollTo(at);
            shown = true;
        }
        sm->select(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

