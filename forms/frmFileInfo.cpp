#include "frmFileInfo.h"
#include "ui_frmFileInfo.h"

#include "formstyle.h"
#include "helppages.h"
#include "helpviewer.h"

namespace {
constexpr int ClientWidth = 370;  // 5550 twips
constexpr int ClientHeight = 327; // 4905 twips
constexpr qreal CaptionPoints = 9.75;
} // namespace

frmFileInfo::frmFileInfo()
    : InfoWindow(ClientWidth, ClientHeight), ui(new Ui::frmFileInfo)
{
    ui->setupUi(this);

    // The frame captions are larger; what the frames hold keeps the default font.
    for (QGroupBox *frame : {ui->frmSourceFile, ui->frmBaseFileName, ui->frmStartIndex}) {
        frame->setFont(FormStyle::designFont(CaptionPoints));
        for (QWidget *inside : frame->findChildren<QWidget *>())
            inside->setFont(FormStyle::designFont());
    }
    // Single-line labels that take the size of their text.
    for (QLabel *label : findChildren<QLabel *>())
        label->resize(label->sizeHint());

    ui->cmdCloseFileInfo->setFocus();
    connect(ui->cmdCloseFileInfo, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->cmdUniqueFileNames, &QPushButton::clicked, this, &frmFileInfo::cmdUniqueFileNamesClick);
}

frmFileInfo::~frmFileInfo() = default;

void frmFileInfo::cmdUniqueFileNamesClick()
{
    // A new viewer at every press; it lives on when this window closes.
    HelpViewer::open(HelpPages::uniqueNamesAddress());
}
