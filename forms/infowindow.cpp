#include "infowindow.h"

#include "formstyle.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

InfoWindow::InfoWindow(int clientWidth, int clientHeight)
    : QDialog(nullptr)
{
    FormStyle::makeFixedWindow(this, clientWidth, clientHeight, FormStyle::Taskbar::NotListed);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
}

void InfoWindow::keyPressEvent(QKeyEvent *event)
{
    // A dialog would close on Escape; these windows have no cancel button.
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InfoWindow::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        closed = true;
}

void InfoWindow::placeOver(QWidget *over)
{
    if (!over || !over->isVisible()) {
        FormStyle::centreOnScreen(this);
        return;
    }
    // Client area over client area; the window frame is taken to be the opener's.
    const QMargins frame(over->geometry().left() - over->frameGeometry().left(),
                         over->geometry().top() - over->frameGeometry().top(),
                         over->frameGeometry().right() - over->geometry().right(),
                         over->frameGeometry().bottom() - over->geometry().bottom());
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(over->geometry().center());
    placed += frame;
    // Keep the whole window on the opener's screen.
    if (const QScreen *screen = over->screen()) {
        const QRect area = screen->availableGeometry();
        placed.moveLeft(qBound(area.left(), placed.left(), qMax(area.left(), area.right() - placed.width() + 1)));
        placed.moveTop(qBound(area.top(), placed.top(), qMax(area.top(), area.bottom() - placed.height() + 1)));
    }
    move(placed.topLeft());
}

void InfoWindow::bringUp()
{
    if (isVisible()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
    }
    show();
    activateWindow();
}
