// Program-wide set-up of the Qt application: title, font, icon, resources and the hint handler.
#pragma once

namespace tolvane {

// Called by main before the main window is made (and by window tests in their set-up).
void SetUpApplication();

} // namespace tolvane
