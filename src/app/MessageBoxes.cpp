#include "app/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tolvane {
namespace {

int beeps = 0;

QString Displayed(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case mb::IconStop:
        return QMessageBox::Critical;
    case mb::IconQuestion:
        return QMessageBox::Question;
    case mb::IconExclamation:
        return QMessageBox::Warning;
    case mb::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int ShowMessageBox(const QString& text, const QString& caption, unsigned flags) {
    QMessageBox box(IconOf(flags), caption, Displayed(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    int firstId = mb::IdOk;
    int secondId = mb::IdCancel;
    switch (flags & 0x0F) {
    case mb::YesNo:
        first = box.addButton(QMessageBox::Yes);
        second = box.addButton(QMessageBox::No);
        firstId = mb::IdYes;
        secondId = mb::IdNo;
        break;
    case mb::OkCancel:
        first = box.addButton(QMessageBox::Ok);
        second = box.addButton(QMessageBox::Cancel);
        break;
    default:
        first = box.addButton(QMessageBox::Ok);
        break;
    }
    box.setDefaultButton(second && (flags & mb::DefButton2) ? second : first);
    if (second) {
        box.setEscapeButton(second);
    }
    box.exec();
    return box.clickedButton() == first ? firstId : second ? secondId : firstId;
}

bool ConfirmYesNo(const QString& text, const QString& caption) {
    return ShowMessageBox(text, caption, mb::YesNo | mb::IconQuestion) == mb::IdYes;
}

bool ConfirmYesNoDefaultNo(const QString& text, const QString& caption) {
    return ShowMessageBox(text, caption, mb::YesNo | mb::IconQuestion | mb::DefButton2) == mb::IdYes;
}

void InformUser(const QString& text) {
    ShowMessageBox(text, QStringLiteral("Information"), mb::Ok | mb::IconInformation);
}

void ShowPlainMessage(const QString& text) {
    ShowMessageBox(text, ApplicationTitle(), mb::Ok);
}

void ShowApplicationError(const QString& text) {
    ShowMessageBox(text, ApplicationTitle(), mb::Ok | mb::IconStop);
}

void NotAvailableYet(const QString& what) {
    InformUser(what + QStringLiteral(" is not available in this version of Tolvane yet."));
}

void Beep() {
    ++beeps;
    QApplication::beep();
}

int BeepCount() {
    return beeps;
}

} // namespace tolvane
