// The default font of new faxes and new cover-sheet templates (section "Default Font" of the
// settings).
#pragma once

#include <QFont>

class QTextEdit;
class QWidget;

namespace tolvane {

// The default font of the settings values.
QFont DefaultFont();
// Gives the control the default font as its current character attributes, so text typed next
// into an empty document uses it.
void ApplyDefaultFont(QTextEdit& edit);
// Font dialog preset with the default font (after re-reading the settings file); on OK the
// chosen font becomes the default and the settings are saved. True when the user chose a font.
// Raises EIniWrite when the settings cannot be saved.
bool ChooseDefaultFont(QWidget* parent);

} // namespace tolvane
