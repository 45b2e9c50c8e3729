// Commands of the main window whose windows are not part of this version yet. Each says so
// honestly; the rules that belong to the main window itself (the beep without a current record,
// SetButtons afterwards) are already in place. Move a command to its own file when its window
// arrives.
#include "app/ButtonBar.h"
#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "app/TableModel.h"

namespace tolvane {
namespace {

bool HasQueryRecords(XbTable& table) {
    try {
        return table.IsOpen() && table.QueryCount() > 0;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

void TMainScreen::NewbuttonClick() {
    NotAvailableYet(QStringLiteral("The fax editor"));
    cloneNext_ = false;
    SetButtons();
}

void TMainScreen::CloneButtonClick() {
    if (!HasQueryRecords(faxTable_)) {
        Beep();
        return;
    }
    cloneNext_ = true;
    NewbuttonClick();
}

void TMainScreen::EditButtonClick() {
    if (!SentPageShown()) {
        NotAvailableYet(QStringLiteral("Editing the notes of a received fax"));
        return;
    }
    if (!HasQueryRecords(faxTable_)) {
        Beep();
        return;
    }
    NotAvailableYet(QStringLiteral("The fax editor"));
}

void TMainScreen::DeleteButtonClick() {
    if (!HasQueryRecords(SentPageShown() ? faxTable_ : recTable_)) {
        Beep();
        return;
    }
    NotAvailableYet(QStringLiteral("Deleting faxes"));
    SetButtons();
}

void TMainScreen::SendButtonClick() {
    NotAvailableYet(QStringLiteral("Sending faxes"));
}

void TMainScreen::ReceiveButtonClick() {
    if (receiving_) {
        // Stopping needs no receiver yet: receive mode can only have been set by a test.
        receiving_ = false;
        receiveButton_->SetCaption(QStringLiteral("Receive"));
        receiveButton_->SetHint(QStringLiteral("Start receiving faxes"));
        SetButtons();
        return;
    }
    NotAvailableYet(QStringLiteral("Receiving faxes"));
}

void TMainScreen::mnuCoverClick() {
    if (!OpenCoverDBF()) {
        return;
    }
    NotAvailableYet(QStringLiteral("The cover sheet templates window"));
    coverTable_.Close();
    coverModel_->Reload();
}

void TMainScreen::mnuPhoneBookClick() {
    NotAvailableYet(QStringLiteral("The phone book"));
}

} // namespace tolvane
