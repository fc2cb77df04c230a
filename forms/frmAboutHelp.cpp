#include "frmAboutHelp.h"
#include "ui_frmAboutHelp.h"

#include "helppages.h"

namespace {
constexpr int ClientWidth = 370;  // 5550 twips
constexpr int ClientHeight = 349; // 5235 twips
} // namespace

frmAboutHelp::frmAboutHelp()
    : InfoWindow(ClientWidth, ClientHeight), ui(new Ui::frmAboutHelp)
{
    ui->setupUi(this);
    // The address is plain text: no link, nothing to click.
    ui->Label6->setText(HelpPages::projectAddress());
    ui->Label6->setTextInteractionFlags(Qt::NoTextInteraction);
    connect(ui->Command1, &QPushButton::clicked, this, &QWidget::close);
}

frmAboutHelp::~frmAboutHelp() = default;
