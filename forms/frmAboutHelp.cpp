#include "frmAboutHelp.h"
#include "ui_frmAboutHelp.h"

#include "helppages.h"

// Client area 5550 x 5235 twips.
frmAboutHelp::frmAboutHelp() : InfoWindow(370, 349), ui(new Ui::frmAboutHelp)
{
    ui->setupUi(this);
    // The address is plain text: no link, nothing to click.
    ui->Label6->setText(HelpPages::projectAddress());
    ui->Label6->setTextInteractionFlags(Qt::NoTextInteraction);
    connect(ui->Command1, &QPushButton::clicked, this, &QWidget::close);
}

frmAboutHelp::~frmAboutHelp() = default;
