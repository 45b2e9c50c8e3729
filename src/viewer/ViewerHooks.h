// What the viewer window needs of the application around it: status-line registration,
// placement, help and the beep. The application fills these in at start; without them the
// window centres itself on the screen, keeps its hints in its own status line and has no help.
#pragma once

#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace tolvane {

struct TViewerWindowHooks {
    // Makes the label the current status line while the window is active.
    std::function<void(QWidget& window, QLabel& status)> RegisterStatusLine;
    std::function<void(QWidget& window)> CenterOverMainWindow;
    std::function<void(QWidget& window)> FitMaximizedForm;
    std::function<void(QWidget& window, const QString& className)> RestorePlacement;
    std::function<void(const QWidget& window, const QString& className)> SavePlacement;
    std::function<void(int topic)> ShowHelpTopic;
    std::function<void()> Beep;
};

TViewerWindowHooks& ViewerWindowHooks();

// The beep hook, or the platform's beep.
void ViewerBeep();

} // namespace tolvane
