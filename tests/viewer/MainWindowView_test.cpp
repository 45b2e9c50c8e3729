// View/Print from the main window: a received fax opens in the viewer window with its sender as
// the printed header line.
#include "app/AppTestSupport.h"
#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "viewer/FaxViewer.h"
#include "viewer/ViewFax.h"
#include "viewer/ViewerTestSupport.h"

#include <QDir>
#include <QLabel>
#include <QTabBar>
#include <QTableView>
#include <QTest>

using namespace tolvane;

class MainWindowViewTest : public QObject {
    Q_OBJECT

private:
    struct Seen {
        bool shown = false;
        QString file;
        QString header;
        QString panel;
    };

    // Answers the next viewer window, noting what it shows.
    static void WatchViewer(Seen& seen) {
        test::OnNextModal<TFaxViewer>([&seen](TFaxViewer* viewer) {
            seen.shown = true;
            seen.file = viewer->FileToShow();
            seen.header = viewer->FaxPrinter()->FaxHeader().Caption;
            seen.panel = viewer->StatusPanel->text();
            viewer->reject();
        });
    }

    static void ShowReceivedTab(TMainScreen& m) {
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QTest::qWait(20);
        auto* tabs = m.findChild<QTabBar*>(QStringLiteral("TabSet1"));
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        QVERIFY(!m.SentPageShown());
    }

private slots:
    void headerLines() {
        QCOMPARE(ReceivedFaxHeader(QStringLiteral("+1 555 0100"), {}), QStringLiteral("+1 555 0100"));
        QCOMPARE(ReceivedFaxHeader(QStringLiteral("+1 555 0100"), QStringLiteral("invoice")),
                 QStringLiteral("+1 555 0100 - invoice"));
        QCOMPARE(SentFaxHeader(QStringLiteral("Jane"), QStringLiteral("Figures")),
                 QStringLiteral("Jane - Figures"));
    }

    void doubleClickOnAReceivedFaxOpensTheViewer() {
        test::DataFolder data;
        test::WriteConfiguredSettings(data); // no preferences dialog on the first activation
        test::AddReceived(data, {{{2024, 3, 6}, "11:00", "+1 555 0100"}});
        QDir().mkpath(data.File(QStringLiteral("receive")));
        // The stored name is matched without regard to letter case.
        test::WriteNumberedFax(data.File(QStringLiteral("receive/fax0001.apf")).toStdString(), 2);
        TMainScreen m;
        ShowReceivedTab(m);
        auto* grid = m.findChild<QTableView*>(QStringLiteral("RecFaxGrid"));
        const QRect row = grid->visualRect(grid->model()->index(0, 0));
        Seen seen;
        WatchViewer(seen);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QTRY_VERIFY(seen.shown);
        QCOMPARE(seen.file, data.File(QStringLiteral("receive/fax0001.apf")));
        QCOMPARE(seen.header, QStringLiteral("+1 555 0100")); // empty notes: no " - "
        QCOMPARE(seen.panel, QStringLiteral("Page 1 of 2"));
    }

    void withoutARecordTheCommandBeeps() {
        test::DataFolder data;
        test::WriteConfiguredSettings(data);
        TMainScreen m;
        ShowReceivedTab(m);
        const int beeps = BeepCount();
        m.mnuViewPrintClick();
        QCOMPARE(BeepCount(), beeps + 1);
    }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindowView_test.moc"
