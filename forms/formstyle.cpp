#include "formstyle.h"

#include "version.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace FormStyle {

// A plain widget that is a window would reach assistive technology as a mere
// filler; it is announced as the window it is.
static QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // The factory is asked first with the object's own class name.
    if (!widget->isWindow() || qobject_cast<QDialog *>(widget)
        || className != QLatin1String(object->metaObject()->className())
        || object->metaObject()->superClass() != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

void setUpApplication()
{
    QApplication::setApplicationName(QString::fromLatin1(Version::ApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::Text));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Version::DesktopId));
    applyDesignFont();
    QApplication::setWindowIcon(applicationIcon());
    QAccessible::installFactory(windowAccessible);
}

void applyDesignFont()
{
    // Arial-metric families first, so captions fit their fixed boxes.
    QFont::insertSubstitutions(QString::fromLatin1(DesignFamily),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    QApplication::setFont(designFont());
}

QFont designFont(qreal points, bool bold)
{
    QFont font(QString::fromLatin1(DesignFamily));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/resources/dravolt.png"));
}

void makeFixedWindow(QWidget *window, int clientWidth, int clientHeight, Taskbar taskbar)
{
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    // Tool windows stay out of the taskbar.
    flags |= taskbar == Taskbar::Listed ? Qt::Window : Qt::Tool;
    window->setWindowFlags(flags);
    // A tool window would not keep the program running by itself; these do.
    window->setAttribute(Qt::WA_QuitOnClose, true);
    window->setFixedSize(clientWidth, clientHeight);
    window->setWindowIcon(applicationIcon());
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void showWarning(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(Version::ApplicationName), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool askQuestion(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(Version::ApplicationName), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace FormStyle
