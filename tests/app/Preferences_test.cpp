// The preferences dialog through its real controls: filled from the settings, Accept and Cancel,
// invalid numbers, the sound picker, the device of each port, hints, the default font.
#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/DefaultFont.h"
#include "app/HelpWindow.h"
#include "app/Preferences.h"
#include "app/Settings.h"
#include "app/StatusLine.h"
#include "imaging/errors/Exceptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolButton>

using namespace tolvane;
using namespace tolvane::test;

namespace {

template <class T> T* Child(QWidget& w, const char* name) {
    T* child = w.findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        qFatal("no child %s", name);
    }
    return child;
}

void SetText(QWidget& dialog, const char* name, const QString& text) {
    QLineEdit* edit = Child<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Clicks a check box or radio button on its indicator, as a user does.
void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

QString FileText(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The dialog as mnuPreferencesClick runs it: filled, shown modally, stored and saved on Accept.
// Returns the error box text, if one was shown.
QString RunPreferences(const std::function<void(TPreferences&)>& user) {
    TPreferences dialog;
    dialog.LoadFromSettings();
    QString error;
    OnNextModal<TPreferences>([&user](TPreferences* d) { user(*d); });
    if (dialog.exec() == QDialog::Accepted) {
        try {
            dialog.StoreToSettings();
            SaveSettings();
        } catch (const Exception& e) {
            error = QString::fromStdString(e.Message());
        }
    }
    return error;
}

void Accept(TPreferences& d) {
    Child<QToolButton>(d, "OkButton")->click();
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(); }
    void init() { Settings() = TSettingsValues(); }

    void firstStartShowsCom1AndAcceptWritesPortZero() {
        test::DataFolder data;
        LoadSettings();
        QCOMPARE(Settings().ComPort, -1);
        Settings().ComPort = 0; // as the main window does at its first start
        RunPreferences([](TPreferences& d) {
            QVERIFY(Child<QRadioButton>(d, "ComPort0")->isChecked());
            QCOMPARE(Child<QRadioButton>(d, "ComPort0")->text(), QStringLiteral("Com1"));
            Accept(d);
        });
        QVERIFY(FileText(data.File("QOB.INI"))
                    .contains(QStringLiteral("[Modem]\r\nInitString=\r\nComPort=0\r\n")));
    }

    void controlsShowTheSettingsAndAcceptTakesThem() {
        test::DataFolder data;
        QFile ini(data.File("QOB.INI"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Receive]\r\nAnswerOnRing=2\r\n[Dialing]\r\nTimeout=45\r\nToneOrPulse=1\r\n[Modem]"
                  "\r\nFaxClass=0\r\n"
                  "ComPort=1\r\n[User]\r\nName=Ann Example\r\n");
        ini.close();
        LoadSettings();
        RunPreferences([](TPreferences& d) {
            QVERIFY(Child<QRadioButton>(d, "AnswerOnRing1")->isChecked());
            QCOMPARE(Child<QRadioButton>(d, "AnswerOnRing1")->text(), QStringLiteral("2"));
            QCOMPARE(Child<QLineEdit>(d, "TimeOut")->text(), QStringLiteral("45"));
            QVERIFY(Child<QRadioButton>(d, "ToneOrPulse1")->isChecked());
            QVERIFY(Child<QRadioButton>(d, "FaxClass0")->isChecked());
            QCOMPARE(Child<QRadioButton>(d, "FaxClass0")->text(), QStringLiteral("auto detect"));
            QVERIFY(Child<QRadioButton>(d, "ComPort1")->isChecked());
            QCOMPARE(Child<QLineEdit>(d, "Name")->text(), QStringLiteral("Ann Example"));
            QCOMPARE(Child<QLineEdit>(d, "Name")->maxLength(), 35);
            QCOMPARE(Child<QLineEdit>(d, "FaxNumber")->maxLength(), 20);
            Click(Child<QRadioButton>(d, "AnswerOnRing2"));
            Click(Child<QRadioButton>(d, "FaxClass3"));
            Click(Child<QCheckBox>(d, "CheckBlindDial"));
            Click(Child<QCheckBox>(d, "ReceiveAtStartup"));
            SetText(d, "FaxNumber", QStringLiteral("+44 20 7946 0000"));
            SetText(d, "DialPrefix", QStringLiteral("9,"));
            SetText(d, "DialAttempts", QStringLiteral("5"));
            Accept(d);
        });
        const TSettingsValues& s = Settings();
        QCOMPARE(s.AnswerOnRing, 3);
        QCOMPARE(s.Timeout, 45);
        QCOMPARE(s.FaxClass, 3);
        QCOMPARE(s.ComPort, 1);
        QVERIFY(s.BlindDial);
        QVERIFY(s.AtStartup);
        QCOMPARE(s.DialAttempts, 5);
        const QString text = FileText(data.File("QOB.INI"));
        QVERIFY(text.contains(QStringLiteral("AnswerOnRing=3\r\n")));
        QVERIFY(text.contains(QStringLiteral("Timeout=45\r\n")));
        QVERIFY(text.contains(QStringLiteral("Fax=+44 20 7946 0000\r\n")));
        QVERIFY(text.contains(QStringLiteral("DialPrefix=9,\r\n")));
        QVERIFY(text.contains(QStringLiteral("BlindDial=1\r\n")));
        QVERIFY(text.contains(QStringLiteral("FaxClass=3\r\n")));
    }

    void cancelChangesNothing() {
        test::DataFolder data;
        LoadSettings();
        RunPreferences([](TPreferences& d) {
            SetText(d, "Name", QStringLiteral("Somebody"));
            Click(Child<QRadioButton>(d, "ComPort4"));
            Child<QToolButton>(d, "Cancelbutton")->click();
        });
        QCOMPARE(Settings().Name, QString());
        QCOMPARE(Settings().ComPort, -1);
        QVERIFY(!QFile::exists(data.File("QOB.INI")));
    }

    // The fields before the invalid one keep their new values in the running program, the later
    // ones their old values, and nothing is written.
    void anInvalidNumberStopsTheAcceptHalfWay() {
        const struct {
            const char* field;
            int dialAttempts, retryWait, timeout;
        } cases[] = {
            {"DialAttempts", 3, 60, 60},
            {"RetryWait", 7, 60, 60},
            {"TimeOut", 7, 8, 60},
        };
        for (const auto& c : cases) {
            test::DataFolder data;
            Settings() = TSettingsValues();
            const QString error = RunPreferences([&c](TPreferences& d) {
                SetText(d, "Name", QStringLiteral("New Name"));
                SetText(d, "DialAttempts", QStringLiteral("7"));
                SetText(d, "RetryWait", QStringLiteral("8"));
                SetText(d, "TimeOut", QStringLiteral("9"));
                SetText(d, c.field, QStringLiteral("abc"));
                Click(Child<QRadioButton>(d, "ComPort3"));
                Accept(d);
            });
            QCOMPARE(error, QStringLiteral("'abc' is not a valid integer value"));
            QCOMPARE(Settings().Name, QStringLiteral("New Name"));
            QCOMPARE(Settings().DialAttempts, c.dialAttempts);
            QCOMPARE(Settings().RetryWait, c.retryWait);
            QCOMPARE(Settings().Timeout, c.timeout);
            QCOMPARE(Settings().ComPort, -1);
            QVERIFY(!QFile::exists(data.File("QOB.INI")));
        }
    }

    void theSoundPickerTakesOnlyWaveNames() {
        test::DataFolder data;
        const QStringList names = {QStringLiteral("ring.WAV"), QStringLiteral("bell.Wav.bak"),
                                   QStringLiteral("notes.txt")};
        for (const QString& name : names) {
            QFile f(data.File(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        TPreferences d;
        d.LoadFromSettings();
        QLineEdit* wave = Child<QLineEdit>(d, "WaveFileEdit");
        const auto pick = [&](const QString& name) {
            QString startFolder;
            OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
                startFolder = QDir(dialog->directory()).absolutePath() + QLatin1Char('/');
                // Type once the folder is listed, as a user does (the listing selects the
                // preselected file when it arrives).
                auto* files = dialog->findChild<QFileSystemModel*>();
                (void)QTest::qWaitFor(
                    [&] { return files->rowCount(files->index(dialog->directory().absolutePath())) > 0; });
                QTest::qWait(20);
                QLineEdit* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                fileName->selectAll();
                QTest::keyClicks(fileName, name);
                QTest::keyClick(fileName, Qt::Key_Return);
            });
            Child<QPushButton>(d, "SelectWavButton")->click();
            return startFolder;
        };
        QCOMPARE(pick(QStringLiteral("ring.WAV")), data.Folder());
        QCOMPARE(wave->text(), data.File("ring.WAV"));
        pick(QStringLiteral("notes.txt"));
        QCOMPARE(wave->text(), data.File("ring.WAV"));
        pick(QStringLiteral("bell.Wav.bak"));
        QCOMPARE(wave->text(), data.File("bell.Wav.bak"));
        // The picker starts on the file named in the field.
        QString preselected;
        OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
            preselected = dialog->selectedFiles().value(0);
            dialog->reject();
        });
        Child<QPushButton>(d, "SelectWavButton")->click();
        QCOMPARE(preselected, data.File("bell.Wav.bak"));
        QCOMPARE(wave->text(), data.File("bell.Wav.bak"));
        Child<QPushButton>(d, "BitBtn1")->click();
        QCOMPARE(wave->text(), QString());
    }

    void eachPortKeepsItsOwnDevice() {
        test::DataFolder data;
        Settings().ComPort = 0;
        RunPreferences([](TPreferences& d) {
            QComboBox* device = Child<QComboBox>(d, "DevicePath");
            QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyS0"));
            device->setEditText(QStringLiteral("/dev/ttyUSB0"));
            Click(Child<QRadioButton>(d, "ComPort2"));
            QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyS2"));
            device->setEditText(QStringLiteral("/dev/serial/by-id/usb-modem"));
            Click(Child<QRadioButton>(d, "ComPort0"));
            QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyUSB0"));
            Click(Child<QRadioButton>(d, "ComPort2"));
            Accept(d);
        });
        QCOMPARE(Settings().ComPort, 2);
        QCOMPARE(Settings().Device[0], QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(Settings().Device[2], QStringLiteral("/dev/serial/by-id/usb-modem"));
        const QString text = FileText(data.File("QOB.INI"));
        QVERIFY(text.contains(QStringLiteral("Device1=/dev/ttyUSB0\r\n")));
        QVERIFY(text.contains(QStringLiteral("Device3=/dev/serial/by-id/usb-modem\r\n")));
    }

    void hintsGoToTheDialogsStatusLineWhileItLives() {
        test::DataFolder data;
        TStatusLabel mainStatus;
        SetCurrentStatusLabel(&mainStatus);
        {
            TPreferences d;
            d.LoadFromSettings();
            d.show();
            QLabel* status = Child<QLabel>(d, "status");
            QCOMPARE(CurrentStatusLabel(), status);
            QCheckBox* blind = Child<QCheckBox>(d, "CheckBlindDial");
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(blind, &enter);
            QCOMPARE(status->text(),
                     QStringLiteral("If the modem is not connected to a phone line which supplies a "
                                    "dial tone, \ncheck  Blind Dial. This is equivilant to sending ATX3 "
                                    "rather than ATX4."));
            QApplication::sendEvent(Child<QToolButton>(d, "OkButton"), &enter);
            QCOMPARE(status->text(), QStringLiteral("Save changes to preferences"));
            QVERIFY(mainStatus.text().isEmpty());
        }
        QCOMPARE(CurrentStatusLabel(), &mainStatus);
        SetCurrentStatusLabel(nullptr);
    }

    void helpOpensThePreferencesTopic() {
        test::DataFolder data;
        TPreferences d;
        d.LoadFromSettings();
        Child<QToolButton>(d, "Helpbutton")->click();
        THelpWindow* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            help = help ? help : qobject_cast<THelpWindow*>(w);
        }
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser()->source().toString(), QStringLiteral("qrc:/tolvane/help/1022.html"));
        QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("Answer on ring")));
        help->close();
    }

    // The dialog shows the installed stand-in for "Arial"; OK without a change keeps "Arial".
    void anUnchangedSubstituteFontKeepsItsName() {
        test::DataFolder data;
        LoadSettings();
        OnNextModal<QFontDialog>([](QFontDialog* dialog) { dialog->accept(); });
        QVERIFY(ChooseDefaultFont(nullptr));
        QCOMPARE(Settings().FontName, QStringLiteral("Arial"));
        QCOMPARE(Settings().FontSize, 10);
    }

    void theDefaultFontIsChosenSavedAndApplied() {
        test::DataFolder data;
        LoadSettings();
        TPreferences d;
        d.LoadFromSettings();
        QFont presented;
        OnNextModal<QFontDialog>([&presented](QFontDialog* dialog) {
            presented = dialog->currentFont();
            QFont chosen(QStringLiteral("Liberation Serif"), 14);
            chosen.setItalic(true);
            chosen.setUnderline(true);
            dialog->setCurrentFont(chosen);
            dialog->accept();
        });
        Child<QToolButton>(d, "ExplorerButton1")->click();
        QCOMPARE(presented.family(), QFontInfo(QFont(QStringLiteral("Arial"))).family());
        QCOMPARE(presented.pointSize(), 10);
        QCOMPARE(Settings().FontName, QStringLiteral("Liberation Serif"));
        QCOMPARE(Settings().FontSize, 14);
        QVERIFY(Settings().FontItalic);
        QVERIFY(Settings().FontUnderline);
        QVERIFY(!Settings().FontBold);
        const QString text = FileText(data.File("QOB.INI"));
        QVERIFY(text.contains(
            QStringLiteral("[Default Font]\r\nName=Liberation Serif\r\nSize=14\r\nBold=0\r\nItalic=1\r\n"
                           "Underline=1\r\n")));

        QTextEdit edit;
        ApplyDefaultFont(edit);
        QTest::keyClicks(&edit, QStringLiteral("Dear"));
        QTextCursor cursor(edit.document());
        cursor.movePosition(QTextCursor::NextCharacter);
        const QTextCharFormat format = cursor.charFormat();
        QCOMPARE(format.fontFamilies().toStringList().value(0), QStringLiteral("Liberation Serif"));
        QCOMPARE(format.fontPointSize(), 14.0);
        QVERIFY(format.fontItalic());
        QVERIFY(format.fontUnderline());
        QCOMPARE(format.fontWeight(), int(QFont::Normal));
    }
};

QTEST_MAIN(PreferencesTest)
#include "Preferences_test.moc"
