// Placement of windows: centring over the main window, the maximised-size guard, and the
// placement keeper that remembers a window's rectangle in the settings file.
#pragma once

#include <QString>

class QWidget;

namespace tolvane {

// The program's main window, for centring and as the owner of dialogs (null before it exists).
QWidget* MainWindow();
void SetMainWindow(QWidget* window);

// Unless the form is maximised: left = main left + (main width - form width) / 2, top likewise
// (integer division truncating toward zero). Without a main window the form is centred on its
// screen.
void CenterOverMainWindow(QWidget& form);
// Only for a maximised form: a height beyond the screen's available height is cut to it (top 0);
// otherwise a width beyond the available width is cut to it (left 0).
void FitMaximizedForm(QWidget& form);

// Section names of the windows whose placement is kept: the class name + "_Placement".
QString PlacementSection(const QString& className);

// Reads "Left", "Top", "Right", "Bottom" and "Maximized" from the window's placement section of
// the settings file in the data folder. A rectangle reaching past the screen's right or bottom edge
// is moved back onto it; with "Bottom" 0 the window keeps its size and is centred on the screen.
// "Maximized" (default maximizedByDefault) sets the window state for its next show.
void RestoreWindowPlacement(QWidget& window, const QString& className, bool maximizedByDefault = false);
// Writes the window's normal (restored) rectangle and whether it is maximised. Failures are not
// reported (the placement is a convenience), and an unreadable settings file is left alone.
void SaveWindowPlacement(const QWidget& window, const QString& className);

} // namespace tolvane
