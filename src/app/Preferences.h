// The preferences dialog: serial port and its device, fax class, own identification, dialling,
// receive options, the arrival sound and the default font.
#pragma once

#include "app/Settings.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tolvane {

class TExplorerButton;
class TStatusLabel;

class TPreferences : public QDialog {
    Q_OBJECT
public:
    explicit TPreferences(QWidget* parent = nullptr);

    // Fills every control from the settings values.
    void LoadFromSettings();
    // Takes the settings values from the controls, in the order Wav, Fax, Name, DialPrefix,
    // InitString, DialAttempts, RetryWait, Timeout, ComPort, FaxClass, AtStartup, AnswerOnRing,
    // BlindDial, ToneOrPulse, then the port devices. A number field that is not an integer raises
    // Exception ("'x' is not a valid integer value"); the values taken before it keep their new
    // values.
    void StoreToSettings() const;

    // The sound picker (SelectWavButtonClick) and "Play Now" (BitBtn2Click).
    void SelectWavButtonClick();
    void PlayNowClick();

private:
    void PortChanged(int port);

    QButtonGroup* faxClass_;
    QButtonGroup* comPort_;
    QButtonGroup* toneOrPulse_;
    QButtonGroup* answerOnRing_;
    QCheckBox* blindDial_;
    QCheckBox* receiveAtStartup_;
    QLineEdit* name_;
    QLineEdit* faxNumber_;
    QLineEdit* dialPrefix_;
    QLineEdit* modemInit_;
    QLineEdit* dialAttempts_;
    QLineEdit* retryWait_;
    QLineEdit* timeOut_;
    QLineEdit* waveFile_;
    QComboBox* device_;
    TStatusLabel* status_;
    std::array<QString, kPortCount> devices_;
    int devicePort_ = 0; // the port whose device the combo box shows
};

} // namespace tolvane
