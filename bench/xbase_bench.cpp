// xBase engine on a QOB.DBF-shaped table of 100,000 records with its DATESENT tag: append,
// open and walk in index order, rebuild the tag, count with the ".not. deleted()" query.
// The table stays in $TMPDIR/tolvane-xbase-bench/ for bench/scripts/xbase_vs_python_dbf.sh.
#include "platform/xbase/XbTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace tolvane;

constexpr uint32_t kRecords = 100000;

std::string BenchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path dir =
        std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "tolvane-xbase-bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::vector<XbFieldDef> FaxFields() {
    return {{"SUBJECT", XbFieldType::Character, 50, 0},   {"SENT", XbFieldType::Logical, 1, 0},
            {"DATESENT", XbFieldType::Date, 8, 0},        {"TIMESENT", XbFieldType::Character, 5, 0},
            {"RECIPIENT", XbFieldType::Character, 35, 0}, {"PHONE", XbFieldType::Character, 25, 0},
            {"PAGES", XbFieldType::Numeric, 2, 0},        {"LASTRESULT", XbFieldType::Character, 100, 0},
            {"RTFCOVER", XbFieldType::Memo, 10, 0},       {"RTFDOC", XbFieldType::Memo, 10, 0}};
}

// A new table with the tag and kRecords jobs: one in ten never sent, one in twenty deleted.
void MakeTable(const std::string& path) {
    XbTable::Create(path, FaxFields());
    XbTable t;
    t.Open(path);
    t.CreateTag("DATESENT", "DTOS(DATESENT)+TIMESENT", XbDirection::Descending, ".not. deleted()");
    char text[64];
    for (uint32_t i = 1; i <= kRecords; ++i) {
        t.Append();
        std::snprintf(text, sizeof text, "Job %u about item %u", i, (i * 7919) % 100003);
        t.SetString(0, text);
        if (i % 10 != 0) {
            t.SetBool(1, true);
            t.SetDate(2, {2000 + static_cast<int>(i * 13 % 25), 1 + static_cast<int>(i % 12),
                          1 + static_cast<int>(i * 7 % 28)});
            std::snprintf(text, sizeof text, "%02u:%02u", i * 7 % 24, i * 11 % 60);
            t.SetString(3, text);
        }
        std::snprintf(text, sizeof text, "Recipient %u", i % 977);
        t.SetString(4, text);
        std::snprintf(text, sizeof text, "+1 555 %07u", i);
        t.SetString(5, text);
        t.SetNumber(6, i % 20);
        t.SetString(7, "OK");
        t.SetMemo(9, "{\\rtf1\\ansi document text of a fax job}");
        t.Post();
        if (i % 20 == 0) {
            t.Delete();
        }
    }
    t.Close();
}

const std::string& SharedTable() {
    static const std::string path = [] {
        const std::string p = BenchFolder() + "/QOB.DBF";
        MakeTable(p);
        return p;
    }();
    return path;
}

void BM_Append100kWithTag(benchmark::State& state) {
    const std::string path = BenchFolder() + "/APPEND.DBF";
    for (auto _ : state) {
        MakeTable(path);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Append100kWithTag)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_OpenAndWalkInIndexOrder(benchmark::State& state) {
    const std::string& path = SharedTable();
    size_t bytes = 0;
    for (auto _ : state) {
        XbTable t;
        t.Open(path);
        t.SelectOrder("DATESENT");
        for (t.First(); t.HasCurrentRecord(); t.Next()) {
            bytes += t.GetString(0).size() + t.GetString(4).size();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_OpenAndWalkInIndexOrder)->Unit(benchmark::kMillisecond);

void BM_RebuildIndex(benchmark::State& state) {
    const std::string& path = SharedTable();
    XbTable t;
    t.Open(path);
    for (auto _ : state) {
        t.CreateTag("DATESENT", "DTOS(DATESENT)+TIMESENT", XbDirection::Descending, ".not. deleted()");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_RebuildIndex)->Unit(benchmark::kMillisecond);

void BM_CountNotDeleted(benchmark::State& state) {
    const std::string& path = SharedTable();
    XbTable t;
    t.Open(path);
    uint32_t count = 0;
    for (auto _ : state) {
        t.SetQuery(".not. deleted()");
        count = t.QueryCount();
    }
    if (count != kRecords - kRecords / 20) {
        state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_CountNotDeleted)->Unit(benchmark::kMillisecond);

} // namespace
