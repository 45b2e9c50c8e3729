#include "app/Preferences.h"

#include "app/AppFolders.h"
#include "app/ButtonBar.h"
#include "app/DefaultFont.h"
#include "app/HelpWindow.h"
#include "app/MessageBoxes.h"
#include "app/SerialDevices.h"
#include "app/Sound.h"
#include "app/StatusLine.h"
#include "imaging/errors/Exceptions.h"
#include "platform/ini/IniFile.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tolvane {
namespace {

QButtonGroup* RadioGroup(QWidget* owner, QGridLayout* into, int row, int column, const QString& objectName,
                         const QString& title, const QStringList& items, int columns, const QString& hint) {
    auto* box = new QGroupBox(title, owner);
    box->setObjectName(objectName);
    box->setStatusTip(hint);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    auto* group = new QButtonGroup(box);
    group->setObjectName(objectName + QStringLiteral("Group"));
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        radio->setObjectName(objectName + QString::number(i));
        radio->setStatusTip(hint);
        group->addButton(radio, i);
        // Items run down the first column, then the next, as in a radio group.
        grid->addWidget(radio, i % rows, i / rows);
    }
    into->addWidget(box, row, column);
    return group;
}

QLineEdit* LabelledEdit(QWidget* owner, QGridLayout* grid, int row, const QString& objectName,
                        const QString& label, const QString& hint, int maxLength = 0) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(objectName);
    edit->setStatusTip(hint);
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
    }
    auto* caption = new QLabel(label, owner);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

void Check(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

// The item index, or the old value when no item is chosen.
int Chosen(const QButtonGroup* group, int old) {
    const int id = group->checkedId();
    return id >= 0 ? id : old;
}

int DecimalText(const QLineEdit* edit) {
    const QString text = edit->text();
    if (const auto value = ParseIniInteger(text.toStdString())) {
        return *value;
    }
    throw Exception("'" + text.toStdString() + "' is not a valid integer value");
}

} // namespace

TPreferences::TPreferences(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(516, 388);

    auto* bar = new TButtonBar(this);
    TExplorerButton* ok =
        bar->AddButton(QStringLiteral("OkButton"), QStringLiteral("&Accept"),
                       QStringLiteral("Save changes to preferences"), QStringLiteral("accept"));
    TExplorerButton* cancel =
        bar->AddButton(QStringLiteral("Cancelbutton"), QStringLiteral("Cance&l"),
                       QStringLiteral("Cancel changes to preferences"), QStringLiteral("cancel"));
    TExplorerButton* font = bar->AddButton(
        QStringLiteral("ExplorerButton1"), QStringLiteral("Set Default Font"),
        QStringLiteral("Set the default font to use for new Faxes and Cover Sheets"), QStringLiteral("font"));
    TExplorerButton* help =
        bar->AddRightButton(QStringLiteral("Helpbutton"), QStringLiteral("&Help"),
                            QStringLiteral("Get Windows help for Preferences"), QStringLiteral("help"));

    auto* body = new QWidget(this);
    auto* columns = new QGridLayout(body);
    columns->setContentsMargins(6, 4, 6, 2);
    columns->setVerticalSpacing(2);

    faxClass_ =
        RadioGroup(body, columns, 0, 0, QStringLiteral("FaxClass"), QStringLiteral("Fax &class"),
                   {QStringLiteral("auto detect"), QStringLiteral("class 1"), QStringLiteral("class 2"),
                    QStringLiteral("class 2.0")},
                   1,
                   QStringLiteral("You should usually leave this as 'auto detect', however if problems "
                                  "occur, set it to Class 1"));
    comPort_ = RadioGroup(body, columns, 1, 0, QStringLiteral("ComPort"), QStringLiteral("Port"),
                          {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"),
                           QStringLiteral("Com4"), QStringLiteral("Com5"), QStringLiteral("Com6")},
                          2, QStringLiteral("Select the communications port for your faxmodem here"));
    device_ = new QComboBox(body);
    device_->setObjectName(QStringLiteral("DevicePath"));
    device_->setEditable(true);
    device_->addItems(ListSerialDevices());
    device_->setStatusTip(
        QStringLiteral("The serial device of the selected port; pick a device found on this "
                       "computer or type its path"));
    auto* deviceLabel = new QLabel(QStringLiteral("Serial de&vice of the port:"), body);
    deviceLabel->setBuddy(device_);
    auto* deviceBox = new QVBoxLayout;
    deviceBox->setSpacing(0);
    deviceBox->addWidget(deviceLabel);
    deviceBox->addWidget(device_);
    columns->addLayout(deviceBox, 2, 0);
    toneOrPulse_ =
        RadioGroup(body, columns, 3, 0, QStringLiteral("ToneOrPulse"), QStringLiteral("Tone or Pulse"),
                   {QStringLiteral("Tone"), QStringLiteral("Pulse")}, 2,
                   QStringLiteral("Select tone or pulse, depending on your phone system (normally tone)"));
    answerOnRing_ =
        RadioGroup(body, columns, 4, 0, QStringLiteral("AnswerOnRing"), QStringLiteral("Answer on ring"),
                   {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, 3, QString());

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(2);
    name_ = LabelledEdit(body, fields, 0, QStringLiteral("Name"), QStringLiteral("Your &name"),
                         QStringLiteral("Enter your name here"), 35);
    faxNumber_ = LabelledEdit(body, fields, 1, QStringLiteral("FaxNumber"),
                              QStringLiteral("Your &fax number (Station ID#)"),
                              QStringLiteral("Enter your own fax number here"), 20);
    dialPrefix_ = LabelledEdit(
        body, fields, 2, QStringLiteral("DialPrefix"), QStringLiteral("&Dial prefix:"),
        QStringLiteral(
            "Enter the dial prefix here. If your telephone system requires special numbers or codes when "
            "dialing out, you can specify them once here rather than in every fax number. Do not include "
            "'ATD' or a 'T' or 'P' tone/pulse modifier in the dial prefix"));
    modemInit_ = LabelledEdit(
        body, fields, 3, QStringLiteral("ModemInit"), QStringLiteral("&Modem initialization string:"),
        QStringLiteral(
            "(You should not need to do this). Enter extra modem init string here. If you use an init "
            "string here, it will be sent just before the default init: ('ATE0Q0V1X4S0=0'). The init "
            "string should not contain an 'AT' prefix."));
    dialAttempts_ = LabelledEdit(
        body, fields, 4, QStringLiteral("DialAttempts"), QStringLiteral("Number of dial attempts"),
        QStringLiteral("Enter the number of dial attempts that should be made for each fax"));
    retryWait_ = LabelledEdit(body, fields, 5, QStringLiteral("RetryWait"),
                              QStringLiteral("Seconds to wait before retry"),
                              QStringLiteral("Enter the number of seconds between dial attempts here"));
    timeOut_ = LabelledEdit(
        body, fields, 6, QStringLiteral("TimeOut"), QStringLiteral("Seconds to wait before timeout"),
        QStringLiteral("Enter the number of seconds that Tolvane should wait after dialing before "
                       "it aborts the call with a timeout"));
    blindDial_ = new QCheckBox(QStringLiteral("Blind Dial"), body);
    blindDial_->setObjectName(QStringLiteral("CheckBlindDial"));
    blindDial_->setStatusTip(
        QStringLiteral("If the modem is not connected to a phone line which supplies a dial "
                       "tone, \rcheck  Blind Dial. This is equivilant to sending ATX3 rather "
                       "than ATX4."));
    fields->addWidget(blindDial_, 7, 1);
    receiveAtStartup_ = new QCheckBox(QStringLiteral("Start Receiving at program startup"), body);
    receiveAtStartup_->setObjectName(QStringLiteral("ReceiveAtStartup"));
    fields->addWidget(receiveAtStartup_, 8, 1);
    columns->addLayout(fields, 0, 1, 5, 1);

    auto* soundRow = new QGridLayout;
    auto* soundLabel = new QLabel(QStringLiteral("Select &WAV File to play when receiving a fax:"), body);
    waveFile_ = new QLineEdit(body);
    waveFile_->setObjectName(QStringLiteral("WaveFileEdit"));
    waveFile_->setStatusTip(QStringLiteral("Type in the path and name of the .WAV file"));
    soundLabel->setBuddy(waveFile_);
    auto* choose = new QPushButton(QStringLiteral("&Choose"), body);
    choose->setObjectName(QStringLiteral("SelectWavButton"));
    choose->setStatusTip(QStringLiteral("Select the .WAV file from a Windows\rFile Open dialog"));
    auto* play = new QPushButton(QStringLiteral("Play &Now"), body);
    play->setObjectName(QStringLiteral("BitBtn2"));
    play->setStatusTip(QStringLiteral("Play the .WAV file you have selected"));
    auto* none = new QPushButton(QStringLiteral("None"), body);
    none->setObjectName(QStringLiteral("BitBtn1"));
    for (QPushButton* b : {choose, play, none}) {
        b->setAutoDefault(false);
    }
    soundRow->addWidget(soundLabel, 0, 0, 1, 4);
    soundRow->addWidget(waveFile_, 1, 0);
    soundRow->addWidget(choose, 1, 1);
    soundRow->addWidget(play, 1, 2);
    soundRow->addWidget(none, 1, 3);
    columns->addLayout(soundRow, 5, 0, 1, 2);
    columns->setColumnStretch(1, 1);

    status_ = new TStatusLabel(this);
    status_->setFixedHeight(32);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(body, 1);
    layout->addWidget(status_);
    RegisterStatusLine(*this, *status_);

    connect(ok, &QToolButton::clicked, this, &QDialog::accept);
    connect(cancel, &QToolButton::clicked, this, &QDialog::reject);
    connect(help, &QToolButton::clicked, this, [] { ShowHelpTopic(kHelpPreferences); });
    connect(font, &QToolButton::clicked, this, [this] {
        try {
            ChooseDefaultFont(this);
        } catch (const Exception& e) {
            ShowApplicationError(QString::fromStdString(e.Message()));
        }
    });
    connect(choose, &QPushButton::clicked, this, &TPreferences::SelectWavButtonClick);
    connect(play, &QPushButton::clicked, this, &TPreferences::PlayNowClick);
    connect(none, &QPushButton::clicked, waveFile_, &QLineEdit::clear);
    connect(comPort_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) {
            PortChanged(id);
        }
    });
}

void TPreferences::LoadFromSettings() {
    const TSettingsValues& s = Settings();
    devices_ = s.Device;
    devicePort_ = -1;
    Check(faxClass_, s.FaxClass);
    Check(comPort_, s.ComPort);
    Check(toneOrPulse_, s.ToneOrPulse);
    Check(answerOnRing_, s.AnswerOnRing - 1);
    blindDial_->setChecked(s.BlindDial);
    name_->setText(s.Name);
    faxNumber_->setText(s.Fax);
    dialPrefix_->setText(s.DialPrefix);
    modemInit_->setText(s.InitString);
    dialAttempts_->setText(QString::number(s.DialAttempts));
    retryWait_->setText(QString::number(s.RetryWait));
    timeOut_->setText(QString::number(s.Timeout));
    waveFile_->setText(s.Wav);
    receiveAtStartup_->setChecked(s.AtStartup);
    PortChanged(comPort_->checkedId());
}

void TPreferences::PortChanged(int port) {
    if (devicePort_ >= 0 && devicePort_ < kPortCount) {
        devices_[static_cast<size_t>(devicePort_)] = device_->currentText();
    }
    devicePort_ = port;
    const bool valid = port >= 0 && port < kPortCount;
    device_->setEnabled(valid);
    device_->setEditText(valid ? devices_[static_cast<size_t>(port)] : QString());
}

void TPreferences::StoreToSettings() const {
    TSettingsValues& s = Settings();
    s.Wav = waveFile_->text();
    s.Fax = faxNumber_->text();
    s.Name = name_->text();
    s.DialPrefix = dialPrefix_->text();
    s.InitString = modemInit_->text();
    s.DialAttempts = DecimalText(dialAttempts_);
    s.RetryWait = DecimalText(retryWait_);
    s.Timeout = DecimalText(timeOut_);
    s.ComPort = Chosen(comPort_, s.ComPort);
    s.FaxClass = Chosen(faxClass_, s.FaxClass);
    s.AtStartup = receiveAtStartup_->isChecked();
    s.AnswerOnRing = Chosen(answerOnRing_, s.AnswerOnRing - 1) + 1;
    s.BlindDial = blindDial_->isChecked();
    s.ToneOrPulse = Chosen(toneOrPulse_, s.ToneOrPulse);
    std::array<QString, kPortCount> devices = devices_;
    if (devicePort_ >= 0 && devicePort_ < kPortCount) {
        devices[static_cast<size_t>(devicePort_)] = device_->currentText();
    }
    s.Device = devices;
}

void TPreferences::SelectWavButtonClick() {
    QFileDialog dialog(this, QString(), ProgramFolder(), QStringLiteral("WAVE files (*.wav *.WAV)"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QFileInfo current(waveFile_->text());
    if (!waveFile_->text().isEmpty() && current.isFile()) {
        dialog.setDirectory(current.absolutePath());
        dialog.selectFile(current.absoluteFilePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString picked = dialog.selectedFiles().constFirst();
    if (picked.toUpper().contains(QStringLiteral(".WAV"))) {
        waveFile_->setText(picked);
    }
}

void TPreferences::PlayNowClick() {
    PlayWaveFile(waveFile_->text());
}

} // namespace tolvane
