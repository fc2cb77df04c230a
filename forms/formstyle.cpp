#include "formstyle.h"

#include "version.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QtMath>
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

// WCAG 2's relative luminance of a colour.
static qreal luminance(const QColor &colour)
{
    const auto linear = [](qreal c) {
        return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
           + 0.0722 * linear(colour.blueF());
}

// Selected text in black or white, whichever stands out more from the
// desktop's selection colour: the white that most palettes give stays under
// 4.5:1 on their mid blues (3.6:1 by default, 2.4:1 in a common dark one).
static void makeSelectionReadable()
{
    // Black and white stand out equally at this luminance.
    constexpr qreal EvenLuminance = 0.179;
    QPalette palette = QGuiApplication::palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const bool light = luminance(palette.color(group, QPalette::Highlight)) > EvenLuminance;
        palette.setColor(group, QPalette::HighlightedText, light ? Qt::black : Qt::white);
    }
    QApplication::setPalette(palette);
}

void setUpApplication()
{
    QApplication::setApplicationName(QString::fromLatin1(Version::ApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::Text));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Version::DesktopId));
    applyDesignFont();
    QApplication::setWindowIcon(applicationIcon());
    makeSelectionReadable();
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
