// Ending the whole program, as "Exit" does.
#pragma once

namespace ProgramEnd {

// Closes every window of the program and ends it.
void endProgram();

} // namespace ProgramEnd
