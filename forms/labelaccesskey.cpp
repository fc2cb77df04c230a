#include "labelaccesskey.h"

#include <QEvent>
#include <QLabel>

void LabelAccessKey::install(QLabel *label)
{
    label->installEventFilter(new LabelAccessKey(label));
}

static bool takesFocus(const QWidget *w)
{
    return w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus);
}

bool LabelAccessKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Shortcut)
        return false;
    auto *label = static_cast<QLabel *>(watched);
    QWidget *const buddy = label->buddy();
    if (!buddy)
        return false;
    QWidget *target = buddy;
    while (!takesFocus(target)) {
        target = target->nextInFocusChain();
        if (!target || target == buddy)
            return true; // nothing can take the focus
    }
    target->setFocus(Qt::ShortcutFocusReason);
    return true;
}
