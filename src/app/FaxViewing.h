// Viewing a fax from the main window: the viewer window gets the program's status line, window
// placement, help and beep.
#pragma once

namespace tolvane {

// Gives the viewer window the program's services; called once by the main window.
void InstallViewerHooks();

} // namespace tolvane
