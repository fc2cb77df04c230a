#include "modErrorCheck.h"

#include "filelookup.h"
#include "formstyle.h"
#include "frmQuenlar.h"
#include "modCommandLine.h"
#include "rules.h"
#include "ui_frmQuenlar.h"

#include <QPointer>

namespace modErrorCheck {

qint16 CheckProgramLocation()
{
    frmQuenlar *const form = frmQuenlar::instance();
    const QString location = form->controls().txtProgLocation->text();
    // A tick never waits on a file system that may stall: it takes what the
    // monitor's look-ups know by now.
    return Rules::checkProgramLocation(location, form->toolLocationWatch().fileName(location));
}

qint16 CheckInputs()
{
    const QPointer<frmQuenlar> form = frmQuenlar::instance();
    const Rules::RunInputs inputs = modCommandLine::CurrentInputs();
    // A look-up off the local disk waits up to 2 s, the window repainting
    // meanwhile; one that gives no answer counts as not found.
    const int failed = Rules::firstFailingCheck(form->controls().txtProgLocation->text(), inputs,
                                                [](const QString &path) {
                                                    return FileLookup::fileNameWithin(path, FileLookup::PressWaitMs);
                                                });
    // Closed while it waited: there is nothing left to report to.
    if (!form || !form->isVisible())
        return 1;
    if (failed == 0)
        return 0;

    Ui::frmQuenlar &c = form->controls();
    FormStyle::showWarning(form, Rules::checkMessage(failed, inputs));
    if (!form)
        return 1;
    c.tabQuenlar->setCurrentIndex(Rules::checkPage(failed));
    form->show();
    if (auto *target = form->findChild<QWidget *>(QLatin1String(Rules::checkFocusControl(failed))))
        target->setFocus(Qt::OtherFocusReason);
    return 1;
}

} // namespace modErrorCheck
