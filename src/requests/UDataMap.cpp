#include "requests/UDataMap.h"

#include "common/AtomicFile.h"
#include "common/UStyle.h"
#include "common/XmlUtil.h"
#include "requests/SnmpTableModel.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum : int {
    TxtCsvFilter = 1127,
    TxtClose = 1152,
    TxtFileExists = 1103,
    TxtCaption = 1246,
    TxtDescription = 1247,
    TxtLegendOut = 1248,
    TxtLegendIn = 1249,
    TxtLegendMarks = 1250,
    TxtHeadingOut = 1251,
    TxtHeadingIn = 1252,
    TxtOverlap = 1253,
    TxtOutside = 1254,
    TxtRefused = 1255,
    TxtNoFindings = 1256,
    TxtMoreFindings = 1257,
    TxtExport = 1258,
    HintExport = 1259,
    TxtExportCaption = 1260,
    TxtByte = 1261,
    TxtPastEnd = 1262,
};

// Geometry of the strips, in pixels.
constexpr int kMargin = 8;
constexpr int kOffsetWidth = 52; // the offsets column
constexpr int kCellWidth = 24;
constexpr int kLineHeight = 20;
constexpr int kHeadingHeight = 26;
constexpr int kStripGap = 14;

// No row reaches past byte 65,535 + 255: nothing beyond is worth drawing,
// whatever size ParGen.xml names.
constexpr int kMaxDrawn = 65536 + 256;

// The findings list stops here (512 Get rows on the same bytes make 130,816
// pairs); the rest are counted.
constexpr int kMaxFindingsListed = 500;

const QColor kOverlapColour(200, 30, 30);
const QColor kPastEndColour(222, 222, 222);

QColor rowColour(int row)
{
    // Neighbouring rows get hues far apart.
    return QColor::fromHsv((row * 137) % 360, 70, 245);
}

QString rangeLabel(int row, const QString& mnemonic)
{
    return mnemonic.isEmpty() ? QString::number(row) : QString::number(row) + QLatin1Char(' ') + mnemonic;
}

} // namespace

// --- the strips ----------------------------------------------------------

DataMapStrips::DataMapStrips(kv::AppState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("PB_DataMap"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_strips[0].area = kv::DataArea::Out;
    m_strips[1].area = kv::DataArea::In;
}

void DataMapStrips::setMap(const kv::DataMap& map)
{
    // The range the keyboard was on stays chosen while its row is still placed.
    const int keptRow = m_current >= 0 && m_current < m_map.placements.size() ? m_map.placements.at(m_current).row : 0;
    m_map = map;
    m_current = -1;
    for (int i = 0; i < m_map.placements.size() && keptRow; ++i) {
        if (m_map.placements.at(i).row == keptRow)
            m_current = i;
    }
    for (Strip& s : m_strips) {
        s.size = std::max<qint32>(0, s.area == kv::DataArea::Out ? map.sizes.out : map.sizes.in);
        int reach = 0;
        for (const kv::DataMapPlacement& pl : m_map.placements) {
            if (pl.area == s.area)
                reach = std::max(reach, pl.to);
        }
        s.drawn = std::min(kMaxDrawn, std::max<int>(reach, int(std::min<qint32>(s.size, kMaxDrawn))));
        s.count.fill(0, s.drawn);
        s.shown.fill(-1, s.drawn);
        for (int i = 0; i < m_map.placements.size(); ++i) {
            const kv::DataMapPlacement& pl = m_map.placements.at(i);
            if (pl.area != s.area)
                continue;
            for (int b = pl.from; b < pl.to && b < s.drawn; ++b) {
                ++s.count[b];
                s.shown[b] = qint16(i);
            }
        }
    }
    layoutStrips();
    update();
}

void DataMapStrips::textsChanged()
{
    layoutStrips();
    update();
}

int DataMapStrips::bytesTop(const Strip& s) const
{
    return s.top + kHeadingHeight;
}

void DataMapStrips::layoutStrips()
{
    // 32 bytes a line when they fit the width the scroll area gives, else 16.
    const int viewWidth = parentWidget() ? parentWidget()->width() : width();
    m_bytesPerLine = viewWidth >= kMargin * 2 + kOffsetWidth + 32 * kCellWidth ? 32 : 16;
    int y = kMargin;
    for (Strip& s : m_strips) {
        s.top = y;
        y += kHeadingHeight + std::max(1, linesOf(s)) * kLineHeight + kStripGap;
    }
    // A heading is never cut: the strips are at least as wide as their headings.
    int w = kMargin * 2 + kOffsetWidth + 16 * kCellWidth;
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    for (const Strip& s : m_strips)
        w = std::max(w, kMargin * 2 + fm.horizontalAdvance(heading(s)));
    setMinimumSize(w, y);
}

QString DataMapStrips::heading(const Strip& s) const
{
    return m_state.Text(s.area == kv::DataArea::Out ? TxtHeadingOut : TxtHeadingIn).arg(s.size);
}

QRect DataMapStrips::byteRect(kv::DataArea area, int byte) const
{
    const Strip& s = strip(area);
    if (byte < 0 || byte >= s.drawn)
        return QRect();
    return QRect(kMargin + kOffsetWidth + (byte % m_bytesPerLine) * kCellWidth,
                 bytesTop(s) + (byte / m_bytesPerLine) * kLineHeight, kCellWidth, kLineHeight);
}

bool DataMapStrips::byteAt(const QPoint& pos, kv::DataArea* area, int* byte) const
{
    const int x = pos.x() - kMargin - kOffsetWidth;
    if (x < 0 || x >= m_bytesPerLine * kCellWidth)
        return false;
    for (const Strip& s : m_strips) {
        const int y = pos.y() - bytesTop(s);
        if (y < 0 || y >= linesOf(s) * kLineHeight)
            continue;
        const int b = (y / kLineHeight) * m_bytesPerLine + x / kCellWidth;
        if (b >= s.drawn)
            return false;
        *area = s.area;
        *byte = b;
        return true;
    }
    return false;
}

QVector<int> DataMapStrips::rowsAt(kv::DataArea area, int byte) const
{
    QVector<int> rows;
    for (const kv::DataMapPlacement& pl : m_map.placements) {
        if (pl.area == area && pl.from <= byte && byte < pl.to)
            rows << pl.row;
    }
    return rows;
}

void DataMapStrips::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int before = m_bytesPerLine;
    layoutStrips();
    if (before != m_bytesPerLine)
        update();
}

void DataMapStrips::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().base());
    for (const Strip& s : m_strips)
        paintStrip(p, s, event->rect());
}

void DataMapStrips::paintStrip(QPainter& p, const Strip& s, const QRect& clip)
{
    const int lines = linesOf(s);
    const QRect whole(0, s.top, width(), kHeadingHeight + lines * kLineHeight);
    if (!whole.intersects(clip))
        return;

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(kMargin, s.top, width() - 2 * kMargin, kHeadingHeight - 4), Qt::AlignLeft | Qt::AlignBottom,
               heading(s));
    p.setFont(font());

    // Only the lines the paint event asks for.
    const int top = bytesTop(s);
    const int firstLine = std::max(0, (clip.top() - top) / kLineHeight);
    const int lastLine = std::min(lines - 1, (clip.bottom() - top) / kLineHeight);
    if (firstLine > lastLine)
        return;
    const QColor gridColour(190, 190, 190);
    for (int line = firstLine; line <= lastLine; ++line) {
        const int y = top + line * kLineHeight;
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(QRect(kMargin, y, kOffsetWidth - 6, kLineHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(line * m_bytesPerLine));
        for (int c = 0; c < m_bytesPerLine; ++c) {
            const int b = line * m_bytesPerLine + c;
            if (b >= s.drawn)
                break;
            const QRect r(kMargin + kOffsetWidth + c * kCellWidth, y, kCellWidth, kLineHeight);
            if (b >= s.size)
                p.fillRect(r, kPastEndColour);
            p.setPen(gridColour);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }

    // The ranges: each byte in the colour of the last row on it in table
    // order, each run of one row labelled.  Drawn by runs, so that a table of
    // ranges piled on each other costs no more than one of ranges side by side.
    const int lineFirstByte = firstLine * m_bytesPerLine;
    const int lineEndByte = std::min((lastLine + 1) * m_bytesPerLine, s.drawn);
    const QFontMetrics fm(font());
    for (int from = lineFirstByte; from < lineEndByte;) {
        const int index = s.shown.at(from);
        const int lineEnd = (from / m_bytesPerLine + 1) * m_bytesPerLine;
        int to = from + 1;
        while (to < lineEndByte && to < lineEnd && s.shown.at(to) == index)
            ++to;
        if (index >= 0) {
            const kv::DataMapPlacement& pl = m_map.placements.at(index);
            const QRect first = byteRect(s.area, from);
            const QRect fill = QRect(first.left(), first.top(), (to - from) * kCellWidth, kLineHeight).adjusted(1, 2, -1, -2);
            p.fillRect(fill, rowColour(pl.row));
            // Bytes past the end: grey, framed red.
            if (to > s.size) {
                const int outFrom = std::max(from, int(s.size));
                const QRect out = byteRect(s.area, outFrom);
                const QRect outRect(out.left() + 1, out.top() + 1, (to - outFrom) * kCellWidth - 2, kLineHeight - 2);
                p.fillRect(outRect, kPastEndColour);
                p.setPen(QPen(kOverlapColour, 2));
                p.drawRect(outRect);
            }
            const QString text = fm.elidedText(rangeLabel(pl.row, pl.mnemonic), Qt::ElideRight, fill.width() - 4);
            if (!text.isEmpty()) {
                p.setPen(Qt::black);
                p.drawText(fill.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
            }
        }
        from = to;
    }

    // Bytes several Get rows write, over everything.
    if (s.area == kv::DataArea::Out) {
        for (int b = lineFirstByte; b < std::min(lineEndByte, s.drawn); ++b) {
            if (s.count.at(b) < 2)
                continue;
            const QRect r = byteRect(s.area, b).adjusted(1, 1, -1, -1);
            p.fillRect(r, QBrush(kOverlapColour, Qt::BDiagPattern));
            p.setPen(QPen(kOverlapColour, 1));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }

    // The range the keyboard is on.
    if (m_current >= 0 && m_current < m_map.placements.size() && m_map.placements.at(m_current).area == s.area) {
        const kv::DataMapPlacement& pl = m_map.placements.at(m_current);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        for (int b = std::max(pl.from, lineFirstByte); b < std::min(pl.to, lineEndByte);) {
            const int to = std::min(pl.to, (b / m_bytesPerLine + 1) * m_bytesPerLine);
            const QRect first = byteRect(s.area, b);
            if (first.isEmpty())
                break;
            p.drawRect(QRect(first.left(), first.top(), (to - b) * kCellWidth, kLineHeight).adjusted(1, 1, -1, -1));
            b = to;
        }
    }
}

bool DataMapStrips::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        kv::DataArea area;
        int byte = 0;
        if (!byteAt(help->pos(), &area, &byte)) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString tip = m_state.Text(TxtByte).arg(byte);
        if (byte >= strip(area).size)
            tip += QLatin1String(" (") + m_state.Text(TxtPastEnd) + QLatin1Char(')');
        for (const kv::DataMapPlacement& pl : m_map.placements) {
            if (pl.area == area && pl.from <= byte && byte < pl.to)
                tip += QLatin1Char('\n') + rangeLabel(pl.row, pl.mnemonic);
        }
        QToolTip::showText(help->globalPos(), tip, this, byteRect(area, byte));
        return true;
    }
    return QWidget::event(event);
}

void DataMapStrips::mousePressEvent(QMouseEvent* event)
{
    kv::DataArea area;
    int byte = 0;
    if (event->button() != Qt::LeftButton || !byteAt(event->position().toPoint(), &area, &byte)) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QVector<int> rows = rowsAt(area, byte);
    if (rows.isEmpty())
        return;
    // A byte several rows share: each click takes the next of them.
    int row = rows.constFirst();
    const int at = int(rows.indexOf(m_lastClickRow));
    if (at >= 0)
        row = rows.at((at + 1) % rows.size());
    m_lastClickRow = row;
    for (int i = 0; i < m_map.placements.size(); ++i) {
        if (m_map.placements.at(i).row == row)
            setCurrent(i);
    }
    emit rowChosen(row);
}

QVector<int> DataMapStrips::keyOrder() const
{
    QVector<int> order(m_map.placements.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const kv::DataMapPlacement& pa = m_map.placements.at(a);
        const kv::DataMapPlacement& pb = m_map.placements.at(b);
        if (pa.area != pb.area)
            return pa.area == kv::DataArea::Out;
        return pa.from < pb.from;
    });
    return order;
}

void DataMapStrips::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_current >= 0 && m_current < m_map.placements.size())
            emit rowChosen(m_map.placements.at(m_current).row);
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End: {
        const QVector<int> order = keyOrder();
        if (order.isEmpty())
            break;
        const int at = int(order.indexOf(m_current));
        const bool back = event->key() == Qt::Key_Left || event->key() == Qt::Key_Up;
        int next = 0;
        if (event->key() == Qt::Key_Home)
            next = 0;
        else if (event->key() == Qt::Key_End)
            next = int(order.size()) - 1;
        else if (at < 0)
            next = back ? int(order.size()) - 1 : 0;
        else
            next = std::clamp(at + (back ? -1 : 1), 0, int(order.size()) - 1);
        setCurrent(order.at(next));
        event->accept();
        return;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void DataMapStrips::setCurrent(int placement)
{
    m_current = placement;
    update();
    if (placement < 0 || placement >= m_map.placements.size())
        return;
    // Keep it in view inside the scroll area.
    const kv::DataMapPlacement& pl = m_map.placements.at(placement);
    const QRect r = byteRect(pl.area, pl.from);
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
            scroll->ensureVisible(r.center().x(), r.center().y(), kCellWidth * 2, kLineHeight * 2);
            break;
        }
    }
}

// --- the window ----------------------------------------------------------

TFDataMap* TFDataMap::showFor(kv::AppState& state, kv::UiServices& services, QWidget* parent,
                              const kv::SnmpTableModel* table, const std::function<void(int)>& showRow)
{
    TFDataMap* w = kv::ShownChildWindow<TFDataMap>(parent);
    if (!w) {
        w = new TFDataMap(state, services, table, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->m_showRow = showRow;
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

TFDataMap::TFDataMap(kv::AppState& state, kv::UiServices& services, const kv::SnmpTableModel* table, QWidget* parent)
    : kv::OwnedWindow(parent)
    , m_state(state)
    , m_services(services)
    , m_table(table)
{
    setObjectName(QStringLiteral("TFDataMap"));

    QVBoxLayout* outer = kv::CreateTitledLayout(this, kv::SoftwareCode, &L_SW_Desc);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 4, 16, 4);
    body->setSpacing(4);
    const auto legend = [this, body](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        body->addWidget(l);
        return l;
    };
    L_LegendOut = legend("L_LegendOut");
    L_LegendIn = legend("L_LegendIn");
    L_LegendMarks = legend("L_LegendMarks");

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("SB_DataMap"));
    m_scroll->setWidgetResizable(true);
    m_strips = new DataMapStrips(state, m_scroll);
    m_scroll->setWidget(m_strips);
    connect(m_strips, &DataMapStrips::rowChosen, this, [this](int row) {
        if (m_showRow)
            m_showRow(row);
    });
    body->addWidget(m_scroll, 3);

    LB_Findings = new QListWidget(this);
    LB_Findings->setObjectName(QStringLiteral("LB_Findings"));
    // One line a finding: hundreds of wrapped lines would take long to lay out.
    LB_Findings->setUniformItemSizes(true);
    connect(LB_Findings, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { LB_FindingsClick(LB_Findings->row(item)); });
    // A double click, or Enter from the keyboard.
    connect(LB_Findings, &QListWidget::activated, this, [this](const QModelIndex& index) { LB_FindingsClick(index.row()); });
    body->addWidget(LB_Findings, 1);
    outer->addLayout(body, 1);

    QWidget* buttons = kv::CreateButtonPanel(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 6, 16, 6);
    row->setSpacing(12);
    Btn_Export = new kv::StyledButton(QStringLiteral("Btn_Export"), buttons, kv::Glyph::Document);
    Btn_Export->setMinimumSize(150, 28);
    Btn_Export->setAutoDefault(false);
    connect(Btn_Export, &QPushButton::clicked, this, &TFDataMap::Btn_ExportClick);
    row->addWidget(Btn_Export);
    row->addStretch(1);
    Btn_Close = new kv::StyledButton(QStringLiteral("Btn_Close"), buttons, kv::Glyph::Close);
    Btn_Close->setMinimumSize(110, 28);
    Btn_Close->setAutoDefault(false);
    connect(Btn_Close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(Btn_Close);
    outer->addWidget(buttons);

    // The sizes of the areas are read once: the communication parameters'
    // dialog, the only place that changes them, is modal, so it cannot be
    // open beside this window and the request dialog.
    pugi::xml_document parGen;
    const kv::XmlLoad load = kv::LoadXmlFile(m_state.ParGenPath, parGen);
    if (load.ok())
        m_sizes = kv::ReadAreaSizes(kv::FirstTopNode(parGen));

    // Every change of the table, however it is made (typing, paste, import,
    // undo), reaches the model's views through these signals; a burst of them
    // (a row deleted cell by cell) is read once.
    m_recompute = new QTimer(this);
    m_recompute->setSingleShot(true);
    connect(m_recompute, &QTimer::timeout, this, &TFDataMap::recompute);
    if (table) {
        connect(table, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    // Marks and hints of cells are not their content.
                    if (roles.isEmpty() || roles.contains(Qt::EditRole) || roles.contains(Qt::DisplayRole)
                        || roles.contains(Qt::CheckStateRole))
                        scheduleRecompute();
                });
        connect(table, &QAbstractItemModel::rowsInserted, this, &TFDataMap::scheduleRecompute);
        connect(table, &QAbstractItemModel::rowsRemoved, this, &TFDataMap::scheduleRecompute);
        connect(table, &QAbstractItemModel::rowsMoved, this, &TFDataMap::scheduleRecompute);
        connect(table, &QAbstractItemModel::modelReset, this, &TFDataMap::scheduleRecompute);
        connect(table, &QAbstractItemModel::layoutChanged, this, &TFDataMap::scheduleRecompute);
    }

    setMinimumSize(520, 420);
    resize(kMargin * 2 + kOffsetWidth + 32 * kCellWidth + 32 + 40, 640);
    recompute();
    Set_Lang();
}

void TFDataMap::Set_Lang()
{
    const auto T = [this](int i) { return m_state.Text(i); };
    setWindowTitle(T(TxtCaption));
    L_SW_Desc->setText(T(TxtDescription));
    L_SW_Desc->adjustSize();
    // The description is one line: the window is never narrower.
    setMinimumWidth(std::max(520, L_SW_Desc->x() + L_SW_Desc->width() + 16));
    L_LegendOut->setText(T(TxtLegendOut).arg(m_sizes.out));
    L_LegendIn->setText(T(TxtLegendIn).arg(m_sizes.in));
    L_LegendMarks->setText(T(TxtLegendMarks));
    Btn_Export->setText(T(TxtExport));
    // Room for the glyph beside the caption, in every language.
    Btn_Export->setMinimumWidth(std::max(150, Btn_Export->fontMetrics().horizontalAdvance(Btn_Export->text()) + 56));
    Btn_Export->setToolTip(T(HintExport));
    Btn_Close->setText(T(TxtClose));
    m_strips->textsChanged();
    fillFindings();
}

void TFDataMap::scheduleRecompute()
{
    if (!m_recompute->isActive())
        m_recompute->start(0);
}

void TFDataMap::recompute()
{
    m_recompute->stop();
    m_rows = m_table ? kv::DataMapRowsOf(m_table->rows()) : QVector<kv::DataMapRow>();
    m_strips->setMap(kv::ComputeDataMap(m_rows, m_sizes));
    fillFindings();
}

void TFDataMap::fillFindings()
{
    const kv::DataMap& map = m_strips->map();
    const auto T = [this](int i) { return m_state.Text(i); };
    LB_Findings->setUpdatesEnabled(false);
    LB_Findings->clear();
    int listed = 0;
    const auto add = [this, &listed](const QString& text, int row) {
        auto* item = new QListWidgetItem(text, LB_Findings);
        item->setToolTip(text); // whole, should the list be narrower
        item->setData(Qt::UserRole, row);
        ++listed;
    };
    for (const kv::DataMapOverlap& o : map.overlaps) {
        if (listed >= kMaxFindingsListed)
            break;
        // "to" is one past the last byte; the sentence names the last byte.
        add(T(TxtOverlap).arg(o.rowA).arg(o.rowB).arg(o.from).arg(o.to - 1), o.rowA);
    }
    for (const kv::DataMapOutside& o : map.outside) {
        if (listed >= kMaxFindingsListed)
            break;
        const QString areaName =
            o.area == kv::DataArea::Out ? QStringLiteral("PROFINET_NB_OUT") : QStringLiteral("PROFINET_NB_IN");
        add(T(TxtOutside).arg(o.row).arg(o.from).arg(o.to - 1).arg(areaName).arg(o.size), o.row);
    }
    for (int row : map.refused) {
        if (listed >= kMaxFindingsListed)
            break;
        add(T(TxtRefused).arg(row), row);
    }
    const int total = int(map.overlaps.size() + map.outside.size() + map.refused.size());
    if (total > listed)
        add(T(TxtMoreFindings).arg(total - listed), 0);
    if (total == 0)
        add(T(TxtNoFindings), 0);
    LB_Findings->setUpdatesEnabled(true);
}

void TFDataMap::LB_FindingsClick(int line)
{
    const QListWidgetItem* item = LB_Findings->item(line);
    const int row = item ? item->data(Qt::UserRole).toInt() : 0;
    if (row > 0 && m_showRow)
        m_showRow(row);
}

void TFDataMap::Btn_ExportClick()
{
    const QString dir = QFileInfo(m_state.SnmpManagerPath).absolutePath();
    const QString path = m_services.files->getSaveFileName(this, m_state.Text(TxtExportCaption), dir,
                                                           m_state.Text(TxtCsvFilter), QStringLiteral("Tags.csv"));
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !m_services.messages->question(this, m_state.Text(TxtFileExists), kv::IMessageService::Default::No))
        return;
    // The rows as the map shows them, including a change still waiting to be read.
    recompute();
    QString error;
    if (!kv::WriteFileAtomic(path, kv::DataMapTagListCsv(m_rows), &error))
        m_services.messages->error(this, error);
}

