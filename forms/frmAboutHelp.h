// About: what Quenlar.exe and Dravolt are, and the project's web address.
#pragma once

#include "infowindow.h"

#include <memory>

namespace Ui { class frmAboutHelp; }

class frmAboutHelp : public InfoWindow
{
    Q_OBJECT

public:
    frmAboutHelp();
    ~frmAboutHelp() override;

private:
    std::unique_ptr<Ui::frmAboutHelp> ui;
};
