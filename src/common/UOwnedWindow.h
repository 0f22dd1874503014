#pragma once
#include <QDialog>

namespace kv {

// A modeless window of its own over a dialog, belonging to one showing of
// it: Esc closes it as the title bar's button does (and a window made with
// Qt::WA_DeleteOnClose is then deleted), and it closes when the program
// hides the dialog, not when the window system minimises it.  It has the
// look every window shares.
class OwnedWindow : public QDialog {
    Q_OBJECT
public:
    explicit OwnedWindow(QWidget* parent);
    void reject() override;

protected:
    // Closed, not rejected: QDialog's own handling would call reject() again.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kv
