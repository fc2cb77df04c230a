// The tool's command-line texts, read from the main window's controls.
#pragma once

#include "rules.h"

#include <QString>

namespace modCommandLine {

// The run's inputs as they stand in the main window now.
Rules::RunInputs CurrentInputs();
// "" or "/" and the letters of the ticked wrap boxes in the order i, x, y.
QString SwitchString();
// Tool location, source, base name, start index and switches, joined by single blanks.
QString BuildCommandLine();
// The same arguments behind "Okay: Quenlar": the status line's preview.
QString BuildStatusText();
// The same written over `text`, whose buffer the status monitor keeps.
void BuildStatusText(QString &text);

} // namespace modCommandLine
