// Checks of the main window's inputs. Both return 1 for a problem, 0 for fine.
#pragma once

#include <QtGlobal>

namespace modErrorCheck {

// Silent: 1 when the location box is empty or does not name quenlar.exe, as
// far as the file system has answered by this tick (FileLookup::Watch); 1
// too while a new location has no answer yet.
qint16 CheckProgramLocation();
// The eleven checks in order; the first that fails is reported (warning box,
// its tab page to the front, the focus on the control that mends it). The
// look-ups are waited for with the event loop running, so the main window may
// be closed before it returns: then it reports nothing and returns 1.
qint16 CheckInputs();

} // namespace modErrorCheck
