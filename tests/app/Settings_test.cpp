// The settings file: defaults, number forms, the order of a new file, and files written by other
// programs or damaged, which must survive a save. Also the data folder rule.
#include "AppTestSupport.h"
#include "app/AppFolders.h"
#include "app/Settings.h"
#include "imaging/errors/Exceptions.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tolvane;

namespace {

void Write(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Read(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Settings() = TSettingsValues(); }

    void missingFileGivesTheDefaults() {
        test::DataFolder data;
        Settings().ComPort = 5;
        LoadSettings();
        const TSettingsValues& s = Settings();
        QCOMPARE(s.ComPort, -1);
        QCOMPARE(s.FaxClass, 1);
        QCOMPARE(s.AnswerOnRing, 1);
        QCOMPARE(s.DialAttempts, 3);
        QCOMPARE(s.RetryWait, 60);
        QCOMPARE(s.Timeout, 60);
        QCOMPARE(s.FontName, QStringLiteral("Arial"));
        QCOMPARE(s.FontSize, 10);
        QCOMPARE(s.Device[0], QStringLiteral("/dev/ttyS0"));
        QVERIFY(!QFile::exists(data.File("QOB.INI")));
    }

    void numbersInHexadecimalAndInvalidNumbers() {
        test::DataFolder data;
        Write(data.File("QOB.INI"),
              "[Dialing]\r\nDialAttempts=0x0A\r\nRetryWait=soon\r\nTimeout=45\r\n"
              "[Receive]\r\nAnswerOnRing=2\r\nAtStartup=7\r\n[Modem]\r\nComPort=0X02\r\n");
        LoadSettings();
        QCOMPARE(Settings().DialAttempts, 10);
        QCOMPARE(Settings().RetryWait, 60);
        QCOMPARE(Settings().Timeout, 45);
        QCOMPARE(Settings().AnswerOnRing, 2);
        QVERIFY(Settings().AtStartup);
        QCOMPARE(Settings().ComPort, 2);
        SaveSettings();
        const QByteArray text = Read(data.File("QOB.INI"));
        QVERIFY(text.contains("DialAttempts=10\r\n"));
        QVERIFY(text.contains("RetryWait=60\r\n"));
        QVERIFY(text.contains("AtStartup=1\r\n"));
    }

    void aNewFileHoldsTheKeysInTheirOrder() {
        test::DataFolder data;
        SaveSettings();
        QByteArray expected = "[Receive]\r\nWav=\r\nAtStartup=0\r\nAnswerOnRing=1\r\n"
                              "[User]\r\nFax=\r\nName=\r\n"
                              "[Dialing]\r\nDialPrefix=\r\nDialAttempts=3\r\nRetryWait=60\r\nBlindDial=0\r\n"
                              "ToneOrPulse=0\r\nTimeout=60\r\n"
                              "[Modem]\r\nInitString=\r\nComPort=-1\r\nFaxClass=1\r\n";
        for (int port = 0; port < kPortCount; ++port) {
            expected += QStringLiteral("Device%1=/dev/ttyS%2\r\n").arg(port + 1).arg(port).toLatin1();
        }
        expected += "[Default Font]\r\nName=Arial\r\nSize=10\r\nBold=0\r\nItalic=0\r\nUnderline=0\r\n";
        QCOMPARE(Read(data.File("QOB.INI")), expected);
        QCOMPARE(QFileInfo(data.File("QOB.INI")).permissions() & 0x0077, QFileDevice::Permissions());
    }

    void linesOfOtherProgramsAndWindowPlacementsSurviveASave() {
        test::DataFolder data;
        const QByteArray original =
            "; kept comment\r\n[TMainScreen_Placement]\r\nLeft=10\r\nTop=20\r\nRight=610\r\n"
            "Bottom=450\r\nMaximized=0\r\n[Modem]\r\nComPort=3\r\nVendorKey=abc\r\n"
            "[Other Program]\r\nx=1\r\n";
        Write(data.File("QOB.INI"), original);
        LoadSettings();
        QCOMPARE(Settings().ComPort, 3);
        Settings().ComPort = 1;
        SaveSettings();
        const QByteArray text = Read(data.File("QOB.INI"));
        QVERIFY(
            text.startsWith("; kept comment\r\n[TMainScreen_Placement]\r\nLeft=10\r\nTop=20\r\nRight=610\r\n"
                            "Bottom=450\r\nMaximized=0\r\n[Modem]\r\nComPort=1\r\nVendorKey=abc\r\n"));
        QVERIFY(text.contains("[Other Program]\r\nx=1\r\n"));
    }

    void aDamagedFileGivesTheDefaultsAndKeepsItsLines() {
        test::DataFolder data;
        static const char bytes[] = "\x00\xff\xfe garbage\n[Modem\nComPort==\n\x1a\x1a\n";
        const QByteArray junk(bytes, sizeof bytes - 1);
        Write(data.File("QOB.INI"), junk);
        LoadSettings();
        QCOMPARE(Settings().ComPort, -1);
        SaveSettings();
        const QByteArray text = Read(data.File("QOB.INI"));
        QVERIFY(text.startsWith(junk));
        QVERIFY(text.contains("[Modem]\nInitString=\n"));
    }

    void anUnreadableFileIsNotReplaced() {
        test::DataFolder data;
        QVERIFY(QDir().mkdir(data.File("QOB.INI")));
        LoadSettings();
        QCOMPARE(Settings().ComPort, -1);
        try {
            SaveSettings();
            QFAIL("saving over an unreadable settings file must fail");
        } catch (const EIniWrite& e) {
            QVERIFY(QString::fromStdString(e.Message()).contains(data.File("QOB.INI")));
        }
        QVERIFY(QFileInfo(data.File("QOB.INI")).isDir());
    }

    void textOfAWindowsProgramIsReadAsLatin1AndWrittenAsUtf8() {
        test::DataFolder data;
        Write(data.File("QOB.INI"), "[User]\r\nName=J\xfcrgen M\xfcller\r\n");
        LoadSettings();
        QCOMPARE(Settings().Name, QStringLiteral("J\u00fcrgen M\u00fcller"));
        SaveSettings();
        LoadSettings();
        QCOMPARE(Settings().Name, QStringLiteral("J\u00fcrgen M\u00fcller"));
        QVERIFY(Read(data.File("QOB.INI")).contains("Name=J\xc3\xbcrgen M\xc3\xbcller\r\n"));
    }

    void dataFolderRule() {
        test::DataFolder data;
        QCOMPARE(ChooseDataFolder(data.Folder(), "/home/x/.local/share"), data.Folder());
        QCOMPARE(ChooseDataFolder(data.File("missing"), "/home/x/.local/share"),
                 QStringLiteral("/home/x/.local/share/Tolvane/"));
        const QString made = data.File("share/deeper/Tolvane");
        QVERIFY(EnsurePrivateFolder(made));
        QVERIFY(QFileInfo(made).isDir());
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(made).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
        // An existing folder is left as it is.
        ::chmod(QFile::encodeName(made).constData(), 0750);
        QVERIFY(EnsurePrivateFolder(made));
        QCOMPARE(::stat(QFile::encodeName(made).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0750u);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "Settings_test.moc"
