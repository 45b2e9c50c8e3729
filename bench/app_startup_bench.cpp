// Start-up of the main window over 10,000 sent and 10,000 received records, up to the window
// painted with its grid, and scrolling a grid through such a table.
#include "app/AppFolders.h"
#include "app/Application.h"
#include "app/DataGrid.h"
#include "app/MainScreen.h"
#include "app/RecordTables.h"
#include "app/Settings.h"
#include "platform/xbase/XbTable.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace tolvane;

namespace {

constexpr int kRecords = 10000;

// A data folder with both tables filled, made once for all benchmarks.
const QString& Folder() {
    static QTemporaryDir dir;
    static const bool made = [] {
        const QString folder = dir.path() + QLatin1Char('/');
        MakeTable(folder, FaxTableLayout());
        MakeTable(folder, RecTableLayout());
        XbTable sent;
        sent.Open((folder + FaxTableLayout().fileName).toStdString());
        sent.CreateTag(FaxTableLayout().tag, FaxTableLayout().key, FaxTableLayout().direction, kNotDeleted);
        for (int i = 0; i < kRecords; ++i) {
            sent.Append();
            sent.SetString(fax::SUBJECT, "Quarterly figures " + std::to_string(i));
            sent.SetBool(fax::SENT, i % 4 != 0);
            if (i % 4 != 0) {
                sent.SetDate(fax::DATESENT, XbDate{2000 + i % 25, 1 + i % 12, 1 + i % 28});
                sent.SetString(fax::TIMESENT, "10:" + std::to_string(10 + i % 50));
            }
            sent.SetString(fax::RECIPIENT, "Recipient " + std::to_string(i));
            sent.SetString(fax::PHONE, "+44 20 7946 " + std::to_string(1000 + i % 9000));
            sent.SetNumber(fax::PAGES, 1 + i % 30);
            sent.SetString(fax::LASTRESULT, "OK");
            sent.Post();
        }
        XbTable received;
        received.Open((folder + RecTableLayout().fileName).toStdString());
        received.CreateTag(RecTableLayout().tag, RecTableLayout().key, RecTableLayout().direction,
                           kNotDeleted);
        for (int i = 0; i < kRecords; ++i) {
            received.Append();
            received.SetDate(rec::DATEREC, XbDate{2000 + i % 25, 1 + i % 12, 1 + i % 28});
            received.SetString(rec::TIMEREC, "08:" + std::to_string(10 + i % 50));
            received.SetString(rec::FROM, "+1 555 " + std::to_string(1000 + i));
            received.SetNumber(rec::PAGES, 1 + i % 9);
            received.SetString(rec::FAXFILE, "FAX0001.APF");
            received.Post();
        }
        QFile ini(folder + QStringLiteral("QOB.INI"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Modem]\r\nComPort=0\r\n");
        SetProgramFolder(folder);
        return true;
    }();
    (void)made;
    static const QString folder = dir.path() + QLatin1Char('/');
    return folder;
}

// From the window's creation (tables opened, settings read) to its first paint with the grid.
void BM_StartUpToPaintedWindow(benchmark::State& state) {
    Folder();
    for (auto _ : state) {
        TMainScreen window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            state.SkipWithError("window not exposed");
            break;
        }
        const QPixmap painted = window.grab();
        benchmark::DoNotOptimize(painted.cacheKey());
        state.PauseTiming();
        window.close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToPaintedWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

// Jumping to the end of the sent grid and paging back up, painting each step.
void BM_ScrollSentGrid(benchmark::State& state) {
    Folder();
    TMainScreen window;
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    auto* grid = window.findChild<TDataGrid*>(QStringLiteral("FaxGrid"));
    for (auto _ : state) {
        grid->scrollToBottom();
        grid->viewport()->repaint();
        for (int step = 0; step < 20; ++step) {
            grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
            grid->viewport()->repaint();
        }
        grid->scrollToTop();
        grid->viewport()->repaint();
    }
    window.close();
}
BENCHMARK(BM_ScrollSentGrid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    SetUpApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
