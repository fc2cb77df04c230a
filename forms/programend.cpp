#include "programend.h"

#include <QApplication>

namespace ProgramEnd {

void endProgram()
{
    // Every window of the program, help viewers included.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace ProgramEnd
