// File Info Details: the rules for the source file, the base file name and the
// start index; "More" opens the help page on unique base file names.
#pragma once

#include "infowindow.h"

#include <memory>

namespace Ui { class frmFileInfo; }

class frmFileInfo : public InfoWindow
{
    Q_OBJECT

public:
    frmFileInfo();
    ~frmFileInfo() override;

private slots:
    void cmdUniqueFileNamesClick();

private:
    std::unique_ptr<Ui::frmFileInfo> ui;
};
