// The main window through its real widgets: the first start, the command states of every page and
// mode, the grids, closing, damaged tables, a lost index, hints, help, About and placement.
#include "AppTestSupport.h"
#include "app/AboutBox.h"
#include "app/Application.h"
#include "app/DataGrid.h"
#include "app/HelpWindow.h"
#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "app/Preferences.h"
#include "app/Settings.h"
#include "app/StatusLine.h"
#include "app/TableModel.h"
#include "support/RunProcess.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace tolvane;
using namespace tolvane::test;

namespace {

template <class T> T* Child(QObject& w, const char* name) {
    T* child = w.findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        qFatal("no child %s", name);
    }
    return child;
}

QAction* Action(QObject& w, const char* name) {
    return Child<QAction>(w, name);
}

// Shows the window and lets its first activation run.
void Start(TMainScreen& m) {
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    QTest::qWait(20);
}

void ClickTab(TMainScreen& m, int index) {
    QTabBar* tabs = Child<QTabBar>(m, "TabSet1");
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
}

QByteArray FileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Cell(TMainScreen& m, const char* grid, int row, int column) {
    TDataGrid* g = Child<TDataGrid>(m, grid);
    return g->model()->index(row, column).data().toString();
}

// The commands that SetButtons decides, as enabled (1) or not (0), each checked on its button
// and on its menu item.
struct CommandStates {
    int newFax, clone, send, edit, del, view, receive, rebuild, preferences;
};

void CheckStates(TMainScreen& m, const CommandStates& want, const char* where) {
    const struct {
        const char* button;
        const char* item;
        int on;
    } commands[] = {
        {"Newbutton", "mnuNew", want.newFax},
        {"CloneButton", "mnuClone", want.clone},
        {"SendButton", "mnuSend", want.send},
        {"EditButton", "mnuEdit", want.edit},
        {"DeleteButton", "mnuDelete", want.del},
        {"ViewFaxButton", "mnuViewPrint", want.view},
        {"ReceiveButton", "mnuReceive", want.receive},
        {nullptr, "mnuRebuildIndexes", want.rebuild},
        {nullptr, "mnuPreferences", want.preferences},
        {"Exitbutton", "Exit1", 1},
        {nullptr, "mnuCover", 1},
        {nullptr, "mnuPhoneBook", 1},
        {nullptr, "Contents1", 1},
        {nullptr, "About1", 1},
    };
    for (const auto& c : commands) {
        if (c.button) {
            QVERIFY2(Child<QToolButton>(m, c.button)->isEnabled() == bool(c.on),
                     qPrintable(QStringLiteral("%1: %2").arg(where, c.button)));
        }
        QVERIFY2(Action(m, c.item)->isEnabled() == bool(c.on),
                 qPrintable(QStringLiteral("%1: %2").arg(where, c.item)));
    }
}

} // namespace

class MainScreenTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(); }
    void init() { Settings() = TSettingsValues(); }

    void firstStartInAnEmptyFolder() {
        DataFolder data;
        bool sawCom1 = false;
        OnNextModal<TPreferences>([&sawCom1](TPreferences* p) {
            sawCom1 = Child<QRadioButton>(*p, "ComPort0")->isChecked();
            Child<QToolButton>(*p, "OkButton")->click();
        });
        TMainScreen m;
        QCOMPARE(m.windowTitle(), QStringLiteral("Tolvane "));
        Start(m);
        QTRY_VERIFY(sawCom1);
        QVERIFY(FileBytes(data.File("QOB.INI")).contains("ComPort=0\r\n"));
        QCOMPARE(Child<QTabBar>(m, "TabSet1")->tabText(0), QStringLiteral("Sent"));
        QCOMPARE(Child<QTabBar>(m, "TabSet1")->currentIndex(), 0);
        QVERIFY(m.SentPageShown());
        CheckStates(m, {1, 0, 0, 0, 0, 0, 1, 1, 1}, "empty Sent page");
        QVERIFY(QFileInfo(data.File("receive")).isDir());

        // Both tables and their index files, with their layouts and tags.
        for (const TTableLayout* layout : {&FaxTableLayout(), &RecTableLayout()}) {
            QVERIFY(QFile::exists(data.File(layout->fileName)));
            QVERIFY(QFile::exists(IndexFileOf(data.File(layout->fileName))));
        }
        const std::vector<XbFieldLayout>& fields = m.FaxTable().Fields();
        QCOMPARE(fields.size(), FaxTableLayout().fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            QVERIFY(fields[i].def == FaxTableLayout().fields[i]);
        }
        const std::vector<XbTagInfo> faxTags = m.FaxTable().Tags();
        QCOMPARE(faxTags.size(), size_t(1));
        QCOMPARE(faxTags[0].name, std::string("DATESENT"));
        QCOMPARE(faxTags[0].keyExpression, std::string("DTOS(DATESENT)+TIMESENT"));
        QCOMPARE(faxTags[0].forExpression, std::string(".not. deleted()"));
        QVERIFY(faxTags[0].direction == XbDirection::Descending);
        const std::vector<XbTagInfo> recTags = m.RecTable().Tags();
        QCOMPARE(recTags.size(), size_t(1));
        QCOMPARE(recTags[0].name, std::string("DATETIME"));
        QCOMPARE(recTags[0].keyExpression, std::string("DTOS(DATEREC)+TIMEREC"));
        m.close();

        // Another xBase program reads the same layouts (it shows field names in lower case).
        const ProcessResult peer = RunCommand("/usr/bin/python3 -c " +
                                              ShellQuote("import dbf,sys\n"
                                                         "for n in sys.argv[1:]:\n"
                                                         "    t = dbf.Table(n); t.open(dbf.READ_ONLY)\n"
                                                         "    print(';'.join(t.structure()), len(t))\n"
                                                         "    t.close()\n") +
                                              " " + ShellQuote(data.File("QOB.DBF").toStdString()) + " " +
                                              ShellQuote(data.File("QOBREC.DBF").toStdString()));
        QCOMPARE(peer.status, 0);
        QCOMPARE(
            QString::fromStdString(peer.out),
            QStringLiteral("subject C(50);sent L;datesent D;timesent C(5);recipient C(35);phone C(25);"
                           "pages N(2,0);lastresult C(100);rtfcover M;rtfdoc M 0\n"
                           "daterec D;timerec C(5);from C(20);pages N(2,0);faxfile C(12);notes C(60) 0\n"));
    }

    void commandStatesOfEveryPageAndMode() {
        const struct {
            const char* name;
            bool sentRecords, receivedRecords, receiving;
            CommandStates sentPage, receivedPage;
        } cases[] = {
            {"no records", false, false, false, {1, 0, 0, 0, 0, 0, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 1, 1, 1}},
            {"no records, receiving",
             false,
             false,
             true,
             {1, 0, 0, 0, 0, 0, 1, 0, 0},
             {0, 0, 0, 0, 0, 0, 1, 0, 0}},
            {"records", true, true, false, {1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 0, 1, 1, 1, 1, 1, 1}},
            {"records, receiving",
             true,
             true,
             true,
             {1, 1, 0, 1, 1, 1, 1, 0, 0},
             {0, 0, 0, 0, 0, 1, 1, 0, 0}},
            {"sent only", true, false, false, {1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 1, 1, 1}},
            {"received only", false, true, true, {1, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0, 1, 1, 0, 0}},
        };
        for (const auto& c : cases) {
            DataFolder data;
            WriteConfiguredSettings(data);
            if (c.sentRecords) {
                AddFaxes(data, {{"one", {2024, 3, 5}, "10:00"}});
            }
            if (c.receivedRecords) {
                AddReceived(data, {{{2024, 3, 6}, "11:00", "+1 555 0100"}});
            }
            TMainScreen m;
            Start(m);
            m.SetReceivingForTest(c.receiving);
            m.SetButtons();
            CheckStates(m, c.sentPage, c.name);
            QCOMPARE(Child<TDataGrid>(m, "FaxGrid")->isEnabled(), c.sentRecords);
            ClickTab(m, 1);
            QVERIFY(!m.SentPageShown());
            QCOMPARE(Child<QStackedWidget>(m, "NoteBook")->currentIndex(), 1);
            CheckStates(m, c.receivedPage, c.name);
            QCOMPARE(Child<TDataGrid>(m, "RecFaxGrid")->isEnabled(), c.receivedRecords);
            ClickTab(m, 0);
            CheckStates(m, c.sentPage, c.name);
            m.SetReceivingForTest(false);
            m.close();
        }
    }

    void theGridsShowVisibleRecordsNewestFirst() {
        DataFolder data;
        WriteConfiguredSettings(data);
        AddFaxes(data, {{"never sent", {}, ""},
                        {"morning", {2024, 3, 5}, "09:00"},
                        {"afternoon", {2024, 3, 5}, "14:30"},
                        {"gone", {2024, 3, 9}, "08:00", true},
                        {"early", {2024, 3, 1}, "16:45"}});
        AddReceived(data, {{{2024, 2, 1}, "07:05", "OLD"},
                           {{2024, 2, 2}, "07:05", "NEW"},
                           {{2024, 2, 3}, "07:05", "X", true}});
        TMainScreen m;
        Start(m);
        TDataGrid* grid = Child<TDataGrid>(m, "FaxGrid");
        const QStringList titles = {"Sent",  "Date Sent", "Time Sent", "Recipient",
                                    "Phone", "Pages",     "Subject",   "Last Attempt"};
        QCOMPARE(grid->model()->columnCount(), int(titles.size()));
        for (int c = 0; c < titles.size(); ++c) {
            QCOMPARE(grid->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        }
        QCOMPARE(grid->model()->rowCount(), 4);
        const QStringList subjects = {Cell(m, "FaxGrid", 0, 6), Cell(m, "FaxGrid", 1, 6),
                                      Cell(m, "FaxGrid", 2, 6), Cell(m, "FaxGrid", 3, 6)};
        QCOMPARE(subjects, QStringList({"afternoon", "morning", "early", "never sent"}));
        QCOMPARE(Cell(m, "FaxGrid", 0, 0), QStringLiteral("Yes"));
        QCOMPARE(Cell(m, "FaxGrid", 0, 2), QStringLiteral("14:30"));
        QCOMPARE(Cell(m, "FaxGrid", 0, 5), QStringLiteral("2"));
        QCOMPARE(Cell(m, "FaxGrid", 3, 0), QStringLiteral("No "));
        QCOMPARE(Cell(m, "FaxGrid", 3, 1), QString());
        QCOMPARE(Cell(m, "FaxGrid", 3, 2), QString());
        QCOMPARE(Cell(m, "FaxGrid", 0, 1), DisplayDate({2024, 3, 5}));
        // The current row and the table's cursor follow each other.
        QCOMPARE(grid->currentIndex().row(), 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualRect(grid->model()->index(2, 6)).center());
        QCOMPARE(QString::fromStdString(m.FaxTable().GetString(fax::SUBJECT)), QStringLiteral("early"));

        ClickTab(m, 1);
        TDataGrid* received = Child<TDataGrid>(m, "RecFaxGrid");
        QCOMPARE(received->model()->rowCount(), 2);
        QCOMPARE(Cell(m, "RecFaxGrid", 0, 2), QStringLiteral("NEW"));
        QCOMPARE(Cell(m, "RecFaxGrid", 1, 2), QStringLiteral("OLD"));
        QCOMPARE(received->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date Rec'd"));
        QCOMPARE(received->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Notes"));
        m.close();
    }

    void closingWhileAFaxArrivesAsksFirst() {
        DataFolder data;
        WriteConfiguredSettings(data);
        AddFaxes(data, {{"one", {2024, 3, 5}, "10:00"}});
        TMainScreen m;
        Start(m);
        m.SetReceivingForTest(true);
        m.SetFaxArrivingForTest(true);
        auto seen = AnswerNextMessageBox(QMessageBox::No);
        QVERIFY(!m.close());
        QVERIFY(seen->shown);
        QCOMPARE(seen->text, QStringLiteral("You are receiving a fax. Exit the program?"));
        QCOMPARE(seen->caption, QStringLiteral("Exit"));
        QCOMPARE(seen->defaultButton, QMessageBox::Yes);
        QVERIFY(m.isVisible());
        QVERIFY(m.Receiving());
        QVERIFY(m.FaxTable().IsOpen());

        seen = AnswerNextMessageBox(QMessageBox::Yes);
        QVERIFY(m.close());
        QVERIFY(seen->shown);
        QVERIFY(!m.Receiving());
        QVERIFY(!m.FaxTable().IsOpen());
        QVERIFY(!m.RecTable().IsOpen());
        // Closed tables can be opened by another program at once.
        XbTable other;
        other.Open(data.File("QOB.DBF").toStdString());
    }

    void aDamagedTableIsReportedAndLeftAlone() {
        const struct {
            const char* file;
            const char* message;
        } cases[] = {
            {"QOB.DBF", "Unable to open/create the FAX datafile - closing program"},
            {"QOBREC.DBF", "Unable to open/create the FAX RECEIVE datafile - closing program"},
        };
        for (const auto& c : cases) {
            DataFolder data;
            const QByteArray junk = QByteArray("\x03not a table at all, only a broken header").repeated(3);
            QFile f(data.File(c.file));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(junk);
            f.close();
            auto seen = AnswerNextMessageBox();
            TMainScreen m;
            QVERIFY(seen->shown);
            QCOMPARE(seen->text, QString::fromLatin1(c.message));
            QCOMPARE(seen->caption, QStringLiteral("Information"));
            m.show();
            // The window closes itself; the preferences never open although no port was set.
            QTRY_VERIFY(!m.isVisible());
            QVERIFY(!QApplication::activeModalWidget());
            QCOMPARE(FileBytes(data.File(c.file)), junk);
            QVERIFY(!QFile::exists(IndexFileOf(data.File(c.file))));
        }
    }

    void aLostIndexIsBuiltAgainAtTheNextStart() {
        DataFolder data;
        WriteConfiguredSettings(data);
        {
            TMainScreen m;
            Start(m);
            m.close();
        }
        AddFaxes(data,
                 {{"a", {2024, 3, 5}, "09:00"}, {"b", {2024, 3, 5}, "17:00"}, {"c", {2024, 3, 4}, "23:00"}});
        QVERIFY(QFile::remove(data.File("QOB.CDX")));
        TMainScreen m;
        Start(m);
        const std::vector<XbTagInfo> tags = m.FaxTable().Tags();
        QCOMPARE(tags.size(), size_t(1));
        QCOMPARE(tags[0].name, std::string("DATESENT"));
        QCOMPARE(tags[0].keyExpression, std::string("DTOS(DATESENT)+TIMESENT"));
        QCOMPARE(tags[0].forExpression, std::string(".not. deleted()"));
        QVERIFY(tags[0].direction == XbDirection::Descending);
        QVERIFY(QFile::exists(data.File("QOB.CDX")));
        QCOMPARE(Cell(m, "FaxGrid", 0, 6), QStringLiteral("b"));
        QCOMPARE(Cell(m, "FaxGrid", 1, 6), QStringLiteral("a"));
        QCOMPARE(Cell(m, "FaxGrid", 2, 6), QStringLiteral("c"));
        m.close();
    }

    void hintsOfButtonsAndMenusGoToTheStatusLine() {
        DataFolder data;
        WriteConfiguredSettings(data);
        TMainScreen m;
        Start(m);
        QLabel* status = Child<QLabel>(m, "status");
        QCOMPARE(CurrentStatusLabel(), status);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(Child<QToolButton>(m, "ViewFaxButton"), &enter);
        QCOMPARE(status->text(), QStringLiteral("See a preview of and optionally  print the fax"));
        QMenu* file = Child<QMenu>(m, "FileMenu");
        file->popup(m.mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        QTest::mouseMove(file, file->actionGeometry(Action(m, "mnuRebuildIndexes")).center());
        QTRY_COMPARE(status->text(), QStringLiteral("Do this every 2 weeks "));
        file->hide();
        QPalette pal = status->palette();
        QCOMPARE(pal.color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(pal.color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(status->height(), 32);
        QCOMPARE(Child<QWidget>(m, "ButtonBar")->palette().color(QPalette::Window), QColor(64, 128, 128));
        QCOMPARE(Child<QWidget>(m, "ButtonBar")->height(), 45);
        m.close();
    }

    void menusHaveTheirShortCuts() {
        DataFolder data;
        WriteConfiguredSettings(data);
        TMainScreen m;
        const struct {
            const char* item;
            const char* caption;
            QKeySequence keys;
        } items[] = {
            {"mnuSend", "Send Fax", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"mnuReceive", "Receive Faxes", QKeySequence(Qt::CTRL | Qt::Key_R)},
            {"mnuViewPrint", "View/Print Fax", QKeySequence(Qt::CTRL | Qt::Key_V)},
            {"Exit1", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_X)},
            {"mnuRebuildIndexes", "Rebuild &Indexes", QKeySequence()},
        };
        for (const auto& i : items) {
            QCOMPARE(Action(m, i.item)->text(), QString::fromLatin1(i.caption));
            QCOMPARE(Action(m, i.item)->shortcut(), i.keys);
        }
        QCOMPARE(m.menuBar()->actions().size(), 2);
        QCOMPARE(m.menuBar()->actions()[0]->text(), QStringLiteral("File"));
        QCOMPARE(m.menuBar()->actions()[1]->text(), QStringLiteral("Help"));
    }

    void commandsNotBuiltYetSaySoAndNeedARecord() {
        DataFolder data;
        WriteConfiguredSettings(data);
        TMainScreen m;
        Start(m);
        // Clone and Delete without a record only beep.
        const int beeps = BeepCount();
        Child<QToolButton>(m, "CloneButton")->setEnabled(true);
        Child<QToolButton>(m, "CloneButton")->click();
        QCOMPARE(BeepCount(), beeps + 1);
        auto seen = AnswerNextMessageBox();
        Child<QToolButton>(m, "Newbutton")->click();
        QVERIFY(seen->shown);
        QCOMPARE(seen->text,
                 QStringLiteral("The fax editor is not available in this version of Tolvane yet."));
        // The cover command makes its table.
        seen = AnswerNextMessageBox();
        Action(m, "mnuCover")->trigger();
        QVERIFY(seen->shown);
        QVERIFY(QFile::exists(data.File("QOBCOV.DBF")));
        QVERIFY(QFile::exists(data.File("QOBCOV.CDX")));
        QVERIFY(!m.CoverTable().IsOpen());
        m.close();
    }

    void aboutBoxAndHelp() {
        DataFolder data;
        WriteConfiguredSettings(data);
        TMainScreen m;
        Start(m);
        QString product, version;
        bool italic = false;
        OnNextModal<TAboutBox>([&](TAboutBox* box) {
            QLabel* name = Child<QLabel>(*box, "ProductName");
            product = name->text() + QLatin1Char('|') + name->font().family() + QLatin1Char('|') +
                      QString::number(name->font().pointSize()) + (name->font().bold() ? "|bold" : "") +
                      (name->font().italic() ? "|italic" : "");
            version = Child<QLabel>(*box, "Version")->text();
            italic = Child<QLabel>(*box, "Comments")->font().italic();
            QCOMPARE(box->size(), QSize(365, 221));
            QTest::mouseClick(Child<QLabel>(*box, "Version"), Qt::LeftButton);
        });
        Action(m, "About1")->trigger();
        QCOMPARE(product, QStringLiteral("Tolvane|Times New Roman|18|bold|italic"));
        QCOMPARE(version, QStringLiteral("Version 2.1c"));
        QVERIFY(italic);
        // A key press closes it too.
        OnNextModal<TAboutBox>([](TAboutBox* box) { QTest::keyClick(box, Qt::Key_A); });
        Action(m, "About1")->trigger();

        Action(m, "Contents1")->trigger();
        THelpWindow* help = m.findChild<THelpWindow*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser()->source().toString(), QStringLiteral("qrc:/tolvane/help/1009.html"));
        QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("Rebuild Indexes")));
        help->close();
        m.close();
    }

    void windowPlacementIsKept() {
        DataFolder data;
        WriteConfiguredSettings(
            data, "[TMainScreen_Placement]\r\nLeft=500\r\nTop=40\r\nRight=1100\r\nBottom=470\r\n"
                  "Maximized=0\r\n");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        {
            TMainScreen m;
            // Moved back onto the screen: it ends at the right edge.
            QCOMPARE(m.geometry().right() + 1, screen.right() + 1);
            QCOMPARE(m.geometry().size(), QSize(600, 430));
            QCOMPARE(m.geometry().top(), 40);
            Start(m);
            m.setGeometry(30, 50, 610, 440);
            m.close();
        }
        const QByteArray ini = FileBytes(data.File("QOB.INI"));
        QVERIFY(ini.contains(
            "[TMainScreen_Placement]\r\nLeft=30\r\nTop=50\r\nRight=640\r\nBottom=490\r\nMaximized=0\r\n"));
        TMainScreen again;
        QCOMPARE(again.geometry(), QRect(30, 50, 610, 440));
    }
};

QTEST_MAIN(MainScreenTest)
#include "MainScreen_test.moc"
