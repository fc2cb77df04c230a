// What every window of the program shares: the design font, the application
// icon and the fixed dialog frame.
#pragma once

#include <QFont>
#include <QIcon>

class QWidget;

namespace FormStyle {

// The family the layouts were drawn for. Where it is missing it is mapped to a
// narrow sans-serif with the same metrics, at the same point sizes.
inline constexpr char DesignFamily[] = "MS Sans Serif";
inline constexpr qreal DefaultPoints = 8.25;

// What every program of Dravolt sets up once its application object exists:
// name and version, desktop entry, design font, icon, selected text that
// reads on the desktop's selection colour, and the window role of plain
// top-level widgets for assistive technology.
void setUpApplication();

// Sets the default font and the family substitutions for the whole program.
void applyDesignFont();
QFont designFont(qreal points = DefaultPoints, bool bold = false);

// The 16x16 application icon.
QIcon applicationIcon();

enum class Taskbar { Listed, NotListed };
// Fixed size at the given client size, caption and close box, no minimise or
// maximise box, the application icon.
void makeFixedWindow(QWidget *window, int clientWidth, int clientHeight, Taskbar taskbar);
// Places a top-level window at the centre of its screen.
void centreOnScreen(QWidget *window);

// A modal warning box with one OK button, titled with the application's title.
// The text is shown as plain text, whatever it holds.
void showWarning(QWidget *parent, const QString &text);
// A modal question in the same style, with Yes and No, No the default. True
// for Yes.
bool askQuestion(QWidget *parent, const QString &text);
} // namespace FormStyle
