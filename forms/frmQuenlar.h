// The main window: the inputs of a slicing run, the tool's location and the
// status line.
#pragma once

#include "filelookup.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QTimer;
namespace Ui { class frmQuenlar; }

class frmQuenlar : public QWidget
{
    Q_OBJECT

public:
    explicit frmQuenlar(QWidget *parent = nullptr);
    ~frmQuenlar() override;

    // The one shared instance that the modules read; null once it is unloaded.
    static frmQuenlar *instance();
    // The controls, under the names the modules know them by.
    Ui::frmQuenlar &controls() { return *ui; }
    // The status monitor's look-ups of the tool location.
    FileLookup::Watch &toolLocationWatch() { return toolWatch; }

public slots:
    // Status monitor, run by Timer1 every 10 ms.
    void timer1Tick();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void chkPathClick();
    void cmdOpenQuenlarClick();
    void cmdOpenSourceClick();
    void cmdDetailsProgClick();
    void cmdDetailTGAClick();
    void cmdAboutHelpClick();
    void cmdDetailsSwitchesClick();
    void cmdExitClick();
    void cmdSliceClick();
    void txtProgLocationChange();
    void cmdSaveToRegistryClick();

private:
    void formLoad();
    void placeTabPageFrames();
    void slice();

    std::unique_ptr<Ui::frmQuenlar> ui;
    QTimer *Timer1 = nullptr;
    bool framesPlaced = false;
    FileLookup::Watch toolWatch;
    // The status text each tick writes, its buffer kept from tick to tick.
    QString statusLine;
    // A press of "Slice it" waits for the file system with the event loop
    // running; presses that arrive meanwhile are run after it, one by one.
    bool sliceUnderWay = false;
    int slicePressesWaiting = 0;

    static QPointer<frmQuenlar> sharedInstance;
};
