// What the three information windows share: a fixed dialog frame outside the
// taskbar, no owner, no reaction to Escape, and one shared instance per window
// type that lives from its first showing until it is closed.
#pragma once

#include <QDialog>
#include <QPointer>

class InfoWindow : public QDialog
{
    Q_OBJECT

public:
    // Shows the shared instance of the window type, creating it first (centred
    // over `over` when given) when none is open; an open one is shown again and
    // brought to the front. The window never gets an owner.
    template<typename Window>
    static Window *showShared(QWidget *over)
    {
        QPointer<Window> &window = sharedSlot<Window>();
        if (!window || window->closed) {
            window = new Window;
            window->placeOver(over);
        }
        window->bringUp();
        return window;
    }

    // The open instance of the window type, or null.
    template<typename Window>
    static Window *shared()
    {
        Window *window = sharedSlot<Window>().data();
        return window && !window->closed ? window : nullptr;
    }

protected:
    InfoWindow(int clientWidth, int clientHeight);

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    template<typename Window>
    static QPointer<Window> &sharedSlot()
    {
        static QPointer<Window> window;
        return window;
    }

    void placeOver(QWidget *over);
    void bringUp();

    // Set once the window has closed: it is deleted later and is no longer
    // the shared instance from that moment on.
    bool closed = false;
};
