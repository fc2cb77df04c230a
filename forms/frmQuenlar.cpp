#include "frmQuenlar.h"
#include "ui_frmQuenlar.h"

#include "formstyle.h"
#include "frmAboutHelp.h"
#include "frmFileInfo.h"
#include "frmProgramInfo.h"
#include "helppages.h"
#include "helpviewer.h"
#include "labelaccesskey.h"
#include "modCommandLine.h"
#include "modErrorCheck.h"
#include "modRegEdit.h"
#include "programend.h"
#include "rules.h"
#include "toollauncher.h"

#include <QDir>
#include <QFileDialog>
#include <QTabBar>
#include <QTimer>

namespace {

constexpr int ClientWidth = 387;  // 5805 twips
constexpr int ClientHeight = 344; // 5160 twips
constexpr qreal LabelPoints = 9.75;

// Where the tool location is kept in the settings store.
const QString SettingsApplication = QStringLiteral("dravolt");
const QString SettingsSection = QStringLiteral("Quenlar");
const QString SettingsKey = QStringLiteral("Location");

// The fixed tool location that the system-folder box fills in.
const char SystemFolderLocation[] = "C:WINDOWS\\COMMAND\\Quenlar.exe";

const QColor White(255, 255, 255);
const QColor LightGrey(224, 224, 224);
// The text that goes with those backgrounds, whatever the desktop's palette:
// dark while the box is enabled, and a grey with at least 4.5:1 contrast on
// white and on light grey alike while it is disabled (the source box always
// is, and it is the one place that shows the chosen file).
const QColor BoxText(0, 0, 0);
const QColor BoxDisabledText(80, 80, 80);

void setBoxColours(QLineEdit *box, const QColor &background)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::All, QPalette::Base, background);
    palette.setColor(QPalette::Active, QPalette::Text, BoxText);
    palette.setColor(QPalette::Inactive, QPalette::Text, BoxText);
    palette.setColor(QPalette::Disabled, QPalette::Text, BoxDisabledText);
    box->setPalette(palette);
}

// Shows a file-open dialog on the current folder for one file of the pattern.
// Returns the chosen file's full path, or a null string when cancelled.
QString browseForFile(QWidget *parent, const QString &title, const QString &pattern)
{
    QFileDialog dialog(parent, title, QStringLiteral("."), pattern);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath());
}

} // namespace

QPointer<frmQuenlar> frmQuenlar::sharedInstance;

frmQuenlar::frmQuenlar(QWidget *parent)
    : QWidget(parent), ui(new Ui::frmQuenlar)
{
    ui->setupUi(this);
    sharedInstance = this;
    FormStyle::makeFixedWindow(this, ClientWidth, ClientHeight, FormStyle::Taskbar::Listed);

    // Tab order as the layout numbers it, across the pages and frames. The tab
    // control takes part through its tab row alone: as a focus proxy of a
    // widget that holds the whole chain, it would close Tab into a loop.
    ui->tabQuenlar->setFocusProxy(nullptr);
    ui->tabQuenlar->setFocusPolicy(Qt::NoFocus);
    ui->tabQuenlar->tabBar()->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget *> tabOrder{
        ui->txtTGA, ui->txtBaseFileName, ui->txtStartIndex, ui->cmdDetailTGA,
        ui->Checki, ui->Checkx, ui->Checky, ui->cmdDetailsSwitches,
        ui->cmdSlice, ui->cmdExit, ui->cmdAboutHelp,
        ui->txtProgLocation, ui->chkPath, ui->cmdDetailsProg, ui->tabQuenlar->tabBar(),
        ui->cmdOpenSource, ui->cmdOpenQuenlar, ui->cmdSaveToRegistry};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i], tabOrder[i + 1]);

    for (QLabel *label : {ui->Label1, ui->Label2, ui->Label3}) {
        label->setFont(FormStyle::designFont(LabelPoints));
        LabelAccessKey::install(label);
    }
    ui->statusBar->setFont(FormStyle::designFont(LabelPoints));
    ui->cmdOpenSource->setFont(FormStyle::designFont(LabelPoints, true));
    ui->cmdOpenQuenlar->setFont(FormStyle::designFont(LabelPoints, true));
    // Text boxes keep their white background when disabled.
    setBoxColours(ui->txtTGA, White);
    setBoxColours(ui->txtProgLocation, White);
    // The source browse button lies over the source box's right end; the text
    // stops short of it, so a long path shows the file name whole.
    const int covered = ui->txtTGA->geometry().right() - ui->cmdOpenSource->geometry().left() + 1;
    ui->txtTGA->setTextMargins(0, 0, qMax(0, covered), 0);

    connect(ui->chkPath, &QCheckBox::toggled, this, &frmQuenlar::chkPathClick);
    connect(ui->cmdOpenQuenlar, &QPushButton::clicked, this, &frmQuenlar::cmdOpenQuenlarClick);
    connect(ui->cmdOpenSource, &QPushButton::clicked, this, &frmQuenlar::cmdOpenSourceClick);
    connect(ui->cmdDetailsProg, &QPushButton::clicked, this, &frmQuenlar::cmdDetailsProgClick);
    connect(ui->cmdDetailTGA, &QPushButton::clicked, this, &frmQuenlar::cmdDetailTGAClick);
    connect(ui->cmdAboutHelp, &QPushButton::clicked, this, &frmQuenlar::cmdAboutHelpClick);
    connect(ui->cmdDetailsSwitches, &QPushButton::clicked, this, &frmQuenlar::cmdDetailsSwitchesClick);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmQuenlar::cmdExitClick);
    connect(ui->cmdSlice, &QPushButton::clicked, this, &frmQuenlar::cmdSliceClick);
    connect(ui->cmdSaveToRegistry, &QPushButton::clicked, this, &frmQuenlar::cmdSaveToRegistryClick);
    connect(ui->txtProgLocation, &QLineEdit::textChanged, this, &frmQuenlar::txtProgLocationChange);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &frmQuenlar::timer1Tick);

    formLoad();
    FormStyle::centreOnScreen(this);
    Timer1->start();
}

frmQuenlar::~frmQuenlar() = default;

frmQuenlar *frmQuenlar::instance()
{
    return sharedInstance;
}

void frmQuenlar::formLoad()
{
    modRegEdit::LoadSettingInto(*ui->txtProgLocation, SettingsApplication, SettingsSection,
                                SettingsKey);
}

void frmQuenlar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!framesPlaced)
        placeTabPageFrames();
}

// The layout gives the frames' places relative to the tab control itself, as
// the tab row is part of its client area; pages begin below the tab row.
void frmQuenlar::placeTabPageFrames()
{
    QWidget *const pages = ui->tabQuenlar->currentWidget()->parentWidget();
    const QPoint offset = pages->mapTo(ui->tabQuenlar, QPoint(0, 0));
    for (int i = 0; i < ui->tabQuenlar->count(); ++i) {
        const auto frames = ui->tabQuenlar->widget(i)->findChildren<QGroupBox *>(
            QString(), Qt::FindDirectChildrenOnly);
        for (QGroupBox *frame : frames)
            frame->move(frame->pos() - offset);
    }
    framesPlaced = true;
}

void frmQuenlar::timer1Tick()
{
    const qint16 notFound = modErrorCheck::CheckProgramLocation();
    // A location off the local disk whose first look-up has not answered yet:
    // the line and the buttons stay as they are until it answers, or until it
    // counts as not found. Judged before the answer, a just-browsed tool would
    // lose "Apply" for good.
    if (!toolWatch.known())
        return;
    if (notFound == 1) {
        statusLine = Rules::locateToolText();
        ui->cmdOpenSource->setEnabled(false);
        ui->cmdSaveToRegistry->setEnabled(false);
    } else {
        modCommandLine::BuildStatusText(statusLine);
        ui->cmdOpenSource->setEnabled(true);
    }
    ui->statusBar->showMessage(statusLine);
}

void frmQuenlar::chkPathClick()
{
    if (ui->chkPath->isChecked()) {
        ui->txtProgLocation->setText(QString::fromLatin1(SystemFolderLocation));
        setBoxColours(ui->txtProgLocation, LightGrey);
        ui->txtProgLocation->setEnabled(false);
    } else {
        ui->txtProgLocation->setText(QString());
        setBoxColours(ui->txtProgLocation, White);
        ui->txtProgLocation->setEnabled(true);
    }
}

void frmQuenlar::cmdOpenQuenlarClick()
{
    const QString file = browseForFile(this, QStringLiteral("Browse to Quenlar.exe"),
                                       QStringLiteral("*.exe"));
    if (!file.isNull())
        ui->txtProgLocation->setText(file);
}

void frmQuenlar::cmdOpenSourceClick()
{
    const QString file = browseForFile(this, QStringLiteral("Browse to source TGA file"),
                                       QStringLiteral("*.tga"));
    if (!file.isNull())
        ui->txtTGA->setText(file);
}

void frmQuenlar::cmdDetailsProgClick()
{
    InfoWindow::showShared<frmProgramInfo>(this);
}

void frmQuenlar::cmdDetailTGAClick()
{
    InfoWindow::showShared<frmFileInfo>(this);
}

void frmQuenlar::cmdAboutHelpClick()
{
    InfoWindow::showShared<frmAboutHelp>(this);
}

void frmQuenlar::cmdDetailsSwitchesClick()
{
    HelpViewer::open(HelpPages::guideAddress());
}

void frmQuenlar::cmdExitClick()
{
    close();
    ProgramEnd::endProgram();
}

void frmQuenlar::cmdSliceClick()
{
    if (sliceUnderWay) {
        ++slicePressesWaiting;
        return;
    }
    const QPointer<frmQuenlar> self(this);
    sliceUnderWay = true;
    slice();
    if (!self)
        return;
    sliceUnderWay = false;
    if (slicePressesWaiting > 0) {
        --slicePressesWaiting;
        QMetaObject::invokeMethod(this, &frmQuenlar::cmdSliceClick, Qt::QueuedConnection);
    }
}

void frmQuenlar::slice()
{
    const QPointer<frmQuenlar> self(this);
    // Read before the checks, which read the same boxes at the same moment:
    // the tool starts with the values that passed them, whatever is typed
    // while they wait for the file system.
    const QString location = ui->txtProgLocation->text();
    const Rules::RunInputs inputs = modCommandLine::CurrentInputs();
    if (modErrorCheck::CheckInputs() == 1)
        return;
    // What the tool takes: asked of the source's header before it starts.
    const ToolLauncher::SourceCheck image = ToolLauncher::checkSource(inputs.source);
    if (!self || !isVisible())
        return;
    if (!image.unreadable.isEmpty()) {
        FormStyle::showWarning(this, QStringLiteral("Quenlar.exe could not be started.\n\n%1\n\n%2")
                                         .arg(inputs.source, image.unreadable));
        return;
    }
    if (!image.problems.isEmpty()
        && !FormStyle::askQuestion(this, image.problems.join(QLatin1Char('\n'))
                                             + QStringLiteral("\n\nStart Quenlar.exe anyway?"))) {
        if (self) {
            ui->tabQuenlar->setCurrentIndex(0);
            ui->cmdOpenSource->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (!self)
        return;
    // The tool gets its arguments as a list: a blank in the location or in an
    // argument never splits it.
    const ToolLauncher::Prepared prepared = ToolLauncher::prepare(location, Rules::toolArguments(inputs));
    // Nothing starts once the window has been closed meanwhile.
    if (!self || !isVisible())
        return;
    const auto notStarted = [self, location](const QString &reason) {
        FormStyle::showWarning(self, QStringLiteral("Quenlar.exe could not be started.\n\n%1\n\n%2").arg(location, reason));
    };
    // A terminal that turns out not to have run the tool is reported as a
    // start that failed, a few seconds later.
    const ToolLauncher::Result result = ToolLauncher::start(prepared, notStarted);
    if (!self)
        return;
    if (!result.started)
        notStarted(result.reason);
}

void frmQuenlar::txtProgLocationChange()
{
    ui->cmdSaveToRegistry->setEnabled(true);
}

void frmQuenlar::cmdSaveToRegistryClick()
{
    const QString location = ui->txtProgLocation->text();
    const SettingsStore::WriteResult result =
        modRegEdit::SaveSettingValue(location, SettingsApplication, SettingsSection, SettingsKey);
    if (!result.saved) {
        // Apply stays enabled, so the user can try again.
        FormStyle::showWarning(this, QStringLiteral("The program location could not be saved.\n\n%1")
                                         .arg(result.reason));
        return;
    }
    ui->cmdSaveToRegistry->setEnabled(false);
}
