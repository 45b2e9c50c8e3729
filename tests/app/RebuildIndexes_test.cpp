// "Rebuild Indexes" from the main window's menu: every table loses its deleted records for good
// and gets its tag again; the sent table's rebuilt tag orders by date alone.
#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/DataGrid.h"
#include "app/MainScreen.h"
#include "app/RebuildIndexes.h"
#include "app/Settings.h"
#include "support/RunProcess.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using namespace tolvane;
using namespace tolvane::test;

namespace {

void AddNamed(const DataFolder& data, const TTableLayout& layout, const std::vector<std::string>& names,
              const std::string& deleted) {
    MakeTable(data.Folder(), layout);
    XbTable t;
    t.Open(data.File(layout.fileName).toStdString());
    for (const std::string& name : names) {
        t.Append();
        t.SetString(0, name);
        t.Post();
        if (name == deleted) {
            t.Delete();
        }
    }
}

QString Cell(TMainScreen& m, const char* grid, int row, int column) {
    return m.findChild<TDataGrid*>(QString::fromLatin1(grid))->model()->index(row, column).data().toString();
}

// Deleted-flag bytes of every record, read by another xBase program.
std::string PeerDeletedFlags(const QString& file) {
    const ProcessResult r =
        RunCommand("/usr/bin/python3 -c " +
                   ShellQuote("import dbf,sys\n"
                              "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)\n"
                              "print(''.join('*' if dbf.is_deleted(r) else '.' for r in t))\n") +
                   " " + ShellQuote(file.toStdString()));
    return r.status == 0 ? r.out : "python3-dbf failed: " + r.err;
}

} // namespace

class RebuildIndexesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(); }

    void packsEveryTableAndLeavesDateOnlyOrder() {
        DataFolder data;
        WriteConfiguredSettings(data);
        // Same day: "late" was written first, so date order alone puts "early" (the later record) first.
        AddFaxes(data, {{"late", {2024, 3, 5}, "17:00"},
                        {"early", {2024, 3, 5}, "09:00"},
                        {"deleted", {2024, 3, 6}, "10:00", true},
                        {"before", {2024, 3, 4}, "12:00"}});
        AddReceived(data, {{{2024, 2, 1}, "19:00", "EVENING"},
                           {{2024, 2, 1}, "07:05", "MORNING"},
                           {{2024, 2, 2}, "08:00", "GONE", true}});
        AddNamed(data, PhoneTableLayout(), {"Zoe", "Adam", "Mia"}, "Mia");
        AddNamed(data, CoverTableLayout(), {"Plain", "Formal"}, "Plain");

        TMainScreen m;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QTest::qWait(20);
        QCOMPARE(Cell(m, "FaxGrid", 0, 6), QStringLiteral("late"));
        QCOMPARE(Cell(m, "FaxGrid", 1, 6), QStringLiteral("early"));

        QString caption;
        QSize size;
        bool gaugeShown = false;
        OnNextModal<TRebuildInd>([&](TRebuildInd* w) {
            caption = w->windowTitle();
            size = w->size();
            // The window shows its gauge once it starts working.
            gaugeShown = QTest::qWaitFor([w] { return !w->Gauge()->isHidden(); }, 5000);
        });
        m.findChild<QAction*>(QStringLiteral("mnuRebuildIndexes"))->trigger();
        QCOMPARE(caption, QStringLiteral("Rebuild Indexes"));
        QCOMPARE(size, QSize(288, 141));
        QVERIFY(gaugeShown);
        QVERIFY(!m.findChild<TRebuildInd*>());

        // Deleted records are gone from the files.
        QCOMPARE(m.FaxTable().RecordCount(), 3u);
        QCOMPARE(m.RecTable().RecordCount(), 2u);
        QCOMPARE(PeerDeletedFlags(data.File("QOB.DBF")), std::string("...\n"));
        QCOMPARE(PeerDeletedFlags(data.File("QOBREC.DBF")), std::string("..\n"));
        QCOMPARE(PeerDeletedFlags(data.File("QOBPB.DBF")), std::string("..\n"));
        QCOMPARE(PeerDeletedFlags(data.File("QOBCOV.DBF")), std::string(".\n"));

        // The sent table's tag now orders by date alone, the received one by date and time.
        const std::vector<XbTagInfo> faxTags = m.FaxTable().Tags();
        QCOMPARE(faxTags.size(), size_t(1));
        QCOMPARE(faxTags[0].name, std::string("DATESENT"));
        QCOMPARE(faxTags[0].keyExpression, std::string("datesent"));
        QCOMPARE(faxTags[0].forExpression, std::string(".not. deleted()"));
        QCOMPARE(m.FaxTable().CurrentOrder(), std::string("DATESENT"));
        QCOMPARE(Cell(m, "FaxGrid", 0, 6), QStringLiteral("early"));
        QCOMPARE(Cell(m, "FaxGrid", 1, 6), QStringLiteral("late"));
        QCOMPARE(Cell(m, "FaxGrid", 2, 6), QStringLiteral("before"));
        QCOMPARE(m.RecTable().Tags()[0].keyExpression, std::string("DTOS(DATEREC)+TIMEREC"));
        QCOMPARE(Cell(m, "RecFaxGrid", 0, 2), QStringLiteral("EVENING"));
        QCOMPARE(Cell(m, "RecFaxGrid", 1, 2), QStringLiteral("MORNING"));
        QVERIFY(!m.PhoneTable().IsOpen());
        QVERIFY(!m.CoverTable().IsOpen());
        m.close();

        // The phone and cover tables keep their ascending tags.
        XbTable phone;
        phone.Open(data.File("QOBPB.DBF").toStdString());
        QCOMPARE(phone.Tags().at(0).keyExpression, std::string("NAME"));
        phone.SelectOrder("NAME");
        phone.First();
        QCOMPARE(phone.GetString(phone::NAME), std::string("Adam"));

        // The date-only tag survives the next start.
        TMainScreen again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTest::qWait(20);
        QCOMPARE(again.FaxTable().Tags().at(0).keyExpression, std::string("datesent"));
        QCOMPARE(Cell(again, "FaxGrid", 0, 6), QStringLiteral("early"));
        again.close();
    }
};

QTEST_MAIN(RebuildIndexesTest)
#include "RebuildIndexes_test.moc"
