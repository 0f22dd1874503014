#pragma once
#include "common/UOwnedWindow.h"
#include <QPointer>
#include <QVector>

#include "common/UServices.h"
#include "requests/DataMap.h"
#include "state/AppState.h"

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QScrollArea;
class QTimer;

namespace kv {
class SnmpTableModel;
class StyledButton;
}

// The two data areas drawn as byte strips: every placed row's range in its
// colour, labelled with its row number and Mnemonic; bytes two Get rows share
// hatched red, bytes past an area's end grey, a row reaching there framed
// red.  Painted whole (no widget per byte); 32 bytes a line when the width
// allows, else 16.  A click or Enter on a range asks for its row; the arrow
// keys step from range to range.
class DataMapStrips : public QWidget {
    Q_OBJECT
public:
    explicit DataMapStrips(kv::AppState& state, QWidget* parent = nullptr);
    void setMap(const kv::DataMap& map);
    const kv::DataMap& map() const { return m_map; }
    // The texts of the headings and tool tips changed.
    void textsChanged();

    int bytesPerLine() const { return m_bytesPerLine; }
    // Where a byte of an area is drawn (in this widget); empty when it is not.
    QRect byteRect(kv::DataArea area, int byte) const;
    // The rows on a byte, lowest first.
    QVector<int> rowsAt(kv::DataArea area, int byte) const;
    // The range the keyboard is on (an index into map().placements), or -1.
    int current() const { return m_current; }

signals:
    void rowChosen(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Strip {
        kv::DataArea area = kv::DataArea::Out;
        qint32 size = 0;  // the area's size, never below 0
        int drawn = 0;    // bytes drawn: the area, and past it as far as rows reach
        int top = 0;      // of the heading
        QVector<quint16> count; // rows on each drawn byte
        QVector<qint16> shown;  // the placement drawn on each byte (the last in table order), or -1
    };
    const Strip& strip(kv::DataArea area) const { return m_strips[area == kv::DataArea::Out ? 0 : 1]; }
    void layoutStrips();
    int linesOf(const Strip& s) const { return (s.drawn + m_bytesPerLine - 1) / m_bytesPerLine; }
    int bytesTop(const Strip& s) const;
    // The area and byte under a point; false when there is none.
    bool byteAt(const QPoint& pos, kv::DataArea* area, int* byte) const;
    QString heading(const Strip& s) const;
    void paintStrip(QPainter& p, const Strip& s, const QRect& clip);
    void setCurrent(int placement);
    // The placements in the order the arrow keys visit them: by area, then offset.
    QVector<int> keyOrder() const;

    kv::AppState& m_state;
    kv::DataMap m_map;
    Strip m_strips[2];
    int m_bytesPerLine = 32;
    int m_current = -1;
    int m_lastClickRow = 0; // a second click on a shared byte takes the next row there
};

// The "Data map" window of the request dialog: both data areas with the
// range of every row the compile writes, and the findings (overlapping Get
// rows, rows past their area's end, refused rows).  Modeless beside the
// grid and closed with it; it follows the table model's every change.
class TFDataMap : public kv::OwnedWindow {
    Q_OBJECT
public:
    // Shows the window for the table of the request dialog `parent`, or brings
    // the one already open to the front.  showRow selects a row (1..512) in the grid.
    static TFDataMap* showFor(kv::AppState& state, kv::UiServices& services, QWidget* parent,
                              const kv::SnmpTableModel* table, const std::function<void(int)>& showRow);

    TFDataMap(kv::AppState& state, kv::UiServices& services, const kv::SnmpTableModel* table,
              QWidget* parent = nullptr);
    void Set_Lang();

    // Writes the tag list of the rows shown to a file the engineer chooses.
    void Btn_ExportClick();
    // A click, double click or Enter on a finding (0-based line).
    void LB_FindingsClick(int line);

    const kv::DataMap& map() const { return m_strips->map(); }
    DataMapStrips* strips() const { return m_strips; }
    QListWidget* findings() const { return LB_Findings; }
    // Reads the table model now (otherwise on the next turn of the event loop).
    void recompute();

private:
    void scheduleRecompute();
    void fillFindings();

    kv::AppState& m_state;
    kv::UiServices& m_services;
    QPointer<const kv::SnmpTableModel> m_table;
    std::function<void(int)> m_showRow;
    kv::AreaSizes m_sizes;
    QVector<kv::DataMapRow> m_rows;
    QTimer* m_recompute = nullptr;

    QLabel* L_SW_Desc = nullptr;
    QLabel* L_LegendOut = nullptr;
    QLabel* L_LegendIn = nullptr;
    QLabel* L_LegendMarks = nullptr;
    QScrollArea* m_scroll = nullptr;
    DataMapStrips* m_strips = nullptr;
    QListWidget* LB_Findings = nullptr;
    kv::StyledButton* Btn_Export = nullptr;
    kv::StyledButton* Btn_Close = nullptr;
};
