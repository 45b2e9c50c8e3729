// Where Tolvane keeps its files. ProgramFolder is the data folder of this run: the tables, the
// settings file, the receive folder and the work files all live there.
#pragma once

#include <QString>

namespace tolvane {

// The data folder of this run, always ending in "/". Empty until SetProgramFolder.
QString ProgramFolder();
// Sets the data folder (a trailing "/" is added when missing). Called once by main, and by
// tests with a temporary folder.
void SetProgramFolder(const QString& folder);

// The data folder rule: the folder of the program file when the user may write there, else
// "Tolvane" inside the user's data home (~/.local/share). Both arguments are folders.
QString ChooseDataFolder(const QString& programFileFolder, const QString& userDataHome);

// Creates the folder (and its parents) when missing; a folder created here is private to the
// user (mode 0700). An existing folder is left as it is. False when it cannot be created.
bool EnsurePrivateFolder(const QString& folder);

} // namespace tolvane
