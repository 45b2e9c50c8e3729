// Status lines and the hint mechanism. Every window with a status line makes it the
// CurrentStatusLabel while it is active; the hint of the control or menu item under the mouse
// (its Qt status tip) and progress texts go to the CurrentStatusLabel.
#pragma once

#include <QLabel>
#include <QPointer>

namespace tolvane {

// The centred status label: blue text on silver, centred both ways.
class TStatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit TStatusLabel(QWidget* parent = nullptr);
    // The text shown; a carriage return in a hint starts a new line.
    void SetStatusText(const QString& text);
};

// The status line of the window that is active now (may be null).
QLabel* CurrentStatusLabel();
void SetCurrentStatusLabel(QLabel* label);
// Writes a text into the CurrentStatusLabel, if there is one.
void ShowStatusText(const QString& text);

// Routes the application's hints (status tips) into the CurrentStatusLabel. Installed once by
// the main window.
void InstallHintHandler();

// Makes status the CurrentStatusLabel of window: at once, and again whenever the window is shown
// or activated; when the window is destroyed the previous CurrentStatusLabel (the one current
// at this call) is restored. Returns the status label for convenience.
QLabel* RegisterStatusLine(QWidget& window, QLabel& status);

} // namespace tolvane
