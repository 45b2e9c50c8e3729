// The message boxes every window of the program uses, and the beep of commands that need a
// current record. Texts may hold CR LF pairs; they are shown as line breaks.
#pragma once

#include <QString>

namespace tolvane {

// The application title: the caption of plain message boxes.
inline QString ApplicationTitle() {
    return QStringLiteral("Tolvane");
}

// Flags and results of ShowMessageBox, with the values of the Windows message box API so that
// texts and call sites keep their meaning.
namespace mb {
inline constexpr unsigned Ok = 0x0;
inline constexpr unsigned OkCancel = 0x1;
inline constexpr unsigned YesNo = 0x4;
inline constexpr unsigned IconStop = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconExclamation = 0x30;
inline constexpr unsigned IconInformation = 0x40;
inline constexpr unsigned DefButton2 = 0x100;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;
} // namespace mb

// Modal message box owned by the application's active window; returns the button's Id.
int ShowMessageBox(const QString& text, const QString& caption, unsigned flags);
// Yes/No with a question icon, Yes preselected; true when Yes was pressed.
bool ConfirmYesNo(const QString& text, const QString& caption);
// Yes/No with a question icon, No preselected (used before deleting); true when Yes was pressed.
bool ConfirmYesNoDefaultNo(const QString& text, const QString& caption);
// Caption "Information", information icon, OK.
void InformUser(const QString& text);
// The plain message dialog: the application title as caption, the text and OK.
void ShowPlainMessage(const QString& text);
// The application's standard error box (an exception that reached the application).
void ShowApplicationError(const QString& text);
// Honest answer of a command whose window is not part of this version yet.
void NotAvailableYet(const QString& what);

// The computer's beep (a command needs a current record and there is none).
void Beep();
// How many times Beep ran in this process; lets tests see a beep.
int BeepCount();

} // namespace tolvane
