#include "programend.h"

#include "viewerprocesses.h"

#include <QApplication>

namespace ProgramEnd {

void endProgram()
{
    QApplication::closeAllWindows();
    ViewerProcesses::instance().endAll();
    QCoreApplication::quit();
}

} // namespace ProgramEnd
