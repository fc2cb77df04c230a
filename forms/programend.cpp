#include "programend.h"

#include <QApplication>

namespace ProgramEnd {

void endProgram()
{
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace ProgramEnd
