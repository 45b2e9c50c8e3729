#include "viewer/ViewerHooks.h"

#include <QApplication>

namespace tolvane {

TViewerWindowHooks& ViewerWindowHooks() {
    static TViewerWindowHooks hooks;
    return hooks;
}

void ViewerBeep() {
    if (ViewerWindowHooks().Beep) {
        ViewerWindowHooks().Beep();
    } else {
        QApplication::beep();
    }
}

} // namespace tolvane
