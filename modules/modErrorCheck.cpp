#include "modErrorCheck.h"

#include "formstyle.h"
#include "frmQuenlar.h"
#include "modCommandLine.h"
#include "rules.h"
#include "ui_frmQuenlar.h"

namespace modErrorCheck {

qint16 CheckProgramLocation()
{
    return Rules::checkProgramLocation(frmQuenlar::instance()->controls().txtProgLocation->text());
}

qint16 CheckInputs()
{
    frmQuenlar *const form = frmQuenlar::instance();
    Ui::frmQuenlar &c = form->controls();
    const Rules::RunInputs inputs = modCommandLine::CurrentInputs();
    const int failed = Rules::firstFailingCheck(c.txtProgLocation->text(), inputs);
    if (failed == 0)
        return 0;

    FormStyle::showWarning(form, Rules::checkMessage(failed, inputs));
    c.tabQuenlar->setCurrentIndex(Rules::checkPage(failed));
    form->show();
    if (auto *target = form->findChild<QWidget *>(QLatin1String(Rules::checkFocusControl(failed))))
        target->setFocus(Qt::OtherFocusReason);
    return 1;
}

} // namespace modErrorCheck
