#include "frmProgramInfo.h"
#include "ui_frmProgramInfo.h"

// Client area 5550 x 4905 twips.
frmProgramInfo::frmProgramInfo() : InfoWindow(370, 327), ui(new Ui::frmProgramInfo)
{
    ui->setupUi(this);
    connect(ui->cmdCloseLocationInfo, &QPushButton::clicked, this, &QWidget::close);
}

frmProgramInfo::~frmProgramInfo() = default;
