#include "modCommandLine.h"

#include "frmQuenlar.h"
#include "ui_frmQuenlar.h"

namespace modCommandLine {

Rules::RunInputs CurrentInputs()
{
    const Ui::frmQuenlar &c = frmQuenlar::instance()->controls();
    Rules::RunInputs in;
    in.source = c.txtTGA->text();
    in.baseName = c.txtBaseFileName->text();
    in.startIndex = c.txtStartIndex->text();
    in.wrapInternal = c.Checki->checkState() != Qt::Unchecked;
    in.wrapHorizontal = c.Checkx->checkState() != Qt::Unchecked;
    in.wrapVertical = c.Checky->checkState() != Qt::Unchecked;
    return in;
}

QString SwitchString()
{
    return Rules::switchString(CurrentInputs());
}

QString BuildCommandLine()
{
    return Rules::commandLineText(frmQuenlar::instance()->controls().txtProgLocation->text(),
                                  CurrentInputs());
}

QString BuildStatusText()
{
    return Rules::statusText(CurrentInputs());
}

void BuildStatusText(QString &text)
{
    Rules::writeStatusText(text, CurrentInputs());
}

} // namespace modCommandLine
