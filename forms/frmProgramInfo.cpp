#include "frmProgramInfo.h"
#include "ui_frmProgramInfo.h"

namespace {
constexpr int ClientWidth = 370;  // 5550 twips
constexpr int ClientHeight = 327; // 4905 twips
} // namespace

frmProgramInfo::frmProgramInfo()
    : InfoWindow(ClientWidth, ClientHeight), ui(new Ui::frmProgramInfo)
{
    ui->setupUi(this);
    connect(ui->cmdCloseLocationInfo, &QPushButton::clicked, this, &QWidget::close);
}

frmProgramInfo::~frmProgramInfo() = default;
