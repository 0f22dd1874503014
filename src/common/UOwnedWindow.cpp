#include "common/UOwnedWindow.h"

#include "common/UStyle.h"

#include <QCloseEvent>

namespace kv {

OwnedWindow::OwnedWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
{
    setModal(false);
    ApplyCommonLook(this);
    if (parent)
        parent->installEventFilter(this);
}

void OwnedWindow::reject()
{
    close();
}

void OwnedWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
}

bool OwnedWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Hide && !event->spontaneous())
        close();
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
