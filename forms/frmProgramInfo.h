// Location Details: why and how the user tells Dravolt where Quenlar.exe is.
#pragma once

#include "infowindow.h"

#include <memory>

namespace Ui { class frmProgramInfo; }

class frmProgramInfo : public InfoWindow
{
    Q_OBJECT

public:
    frmProgramInfo();
    ~frmProgramInfo() override;

private:
    std::unique_ptr<Ui::frmProgramInfo> ui;
};
