// Playing a WAVE sound without waiting for it (the fax-arrived sound and "Play Now").
#pragma once

#include <QString>

namespace tolvane {

// Starts playing the file when the name is not empty and the file exists; returns at once.
// False when nothing was started.
bool PlayWaveFile(const QString& fileName);

} // namespace tolvane
