// The scan alone: log bytes in memory, through lines, records and totals into the report
// and CSV layout, with and without the report text that the window shows.
#include "bench/benchlog.h"
#include "io/bytesink.h"
#include "report/reportlayout.h"

#include <QBuffer>
#include <benchmark/benchmark.h>

namespace {

const QByteArray& sampleLog() {
    static const QByteArray log = [] {
        std::string text;
        bench::generateLog(text, 200000, 42);
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }();
    return log;
}

void scanSample(benchmark::State& state, bool keepText) {
    const QByteArray& log = sampleLog();
    for (auto _ : state) {
        QBuffer device;
        device.setData(log);
        device.open(QIODevice::ReadOnly);
        io::ByteSink report, csv, text;
        report::ReportLayout layout("12/7/2026", &report, &csv, keepText ? &text : nullptr);
        const std::vector<report::ScanOutput*> outputs{&layout};
        const report::ScanOutcome scanned = report::scanLog(device, outputs);
        benchmark::DoNotOptimize(scanned.totals.total);
    }
    state.SetBytesProcessed(state.iterations() * log.size());
    state.counters["records/s"] = benchmark::Counter(
        200000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Scan(benchmark::State& state) {
    scanSample(state, false);
}
void BM_ScanWithReportText(benchmark::State& state) {
    scanSample(state, true);
}

BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanWithReportText)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
