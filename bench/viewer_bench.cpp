// The fax viewer on a 200-page fax of text-like fine pages (1728 x 2156): open the file and
// show page 1 (at 1:1 and at the viewer window's fitted 40 %), move to the next page, and the
// memory page-by-page mode holds (one page raster, whatever the page count).
#include "printing/FaxFileMaker.h"
#include "viewer/Viewer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace tolvane;

constexpr int kPages = 200;

QApplication& App() {
    static int argc = 1;
    static char name[] = "viewer_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication app(argc, argv);
    return app;
}

const QString& FaxFile() {
    static const QString name = [] {
        const char* tmp = std::getenv("TMPDIR");
        const auto dir = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "tolvane-viewer-bench";
        std::filesystem::create_directories(dir);
        const std::string file = (dir / "200-pages.apf").string();
        const test::TestPage page = test::EncodedPage(test::TextRaster(1728, 2156, 11), apfFineResolution);
        test::WriteApf(file, std::vector<test::TestPage>(kPages, page));
        return QString::fromStdString(file);
    }();
    return name;
}

// A viewer the size the viewer window gives it.
std::unique_ptr<TViewer> ShownViewer() {
    App();
    auto viewer = std::make_unique<TViewer>();
    viewer->resize(594, 340);
    viewer->show();
    QCoreApplication::processEvents();
    return viewer;
}

void OpenAndShowFirstPage(benchmark::State& state, const TViewScale& scale) {
    auto viewer = ShownViewer();
    const QString& file = FaxFile();
    for (auto _ : state) {
        viewer->dwViewSetFile({});
        if (viewer->dwViewSetFile(file) != 0) {
            state.SkipWithError("load failed");
            break;
        }
        viewer->dwViewSetScale(scale);
        viewer->viewport()->repaint();
    }
    state.counters["pages"] = viewer->dwViewGetNumPages();
}

void BM_OpenAndShowFirstPage(benchmark::State& state) {
    OpenAndShowFirstPage(state, TViewScale{});
}
BENCHMARK(BM_OpenAndShowFirstPage)->Unit(benchmark::kMillisecond);

void BM_OpenAndShowFirstPageFitted(benchmark::State& state) {
    OpenAndShowFirstPage(state, TViewScale{40, 100, 40, 100});
}
BENCHMARK(BM_OpenAndShowFirstPageFitted)->Unit(benchmark::kMillisecond);

void BM_NextPage(benchmark::State& state) {
    auto viewer = ShownViewer();
    viewer->dwViewSetFile(FaxFile());
    viewer->dwViewSetScale(TViewScale{40, 100, 40, 100});
    for (auto _ : state) {
        if (viewer->dwViewGetCurPage() == kPages) {
            viewer->dwViewGotoPage(1);
        } else {
            viewer->vPageDown();
        }
        viewer->viewport()->repaint();
    }
    // Page by page: one raster held after paging through the file.
    MonoBitmap current;
    viewer->dwViewGetBitmap(viewer->dwViewGetCurPage(), current);
    state.counters["held_pages"] = viewer->HeldPages();
    state.counters["held_bytes"] =
        static_cast<double>(viewer->HeldPages()) * static_cast<double>(current.Bits().size());
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMillisecond);

} // namespace
