// The run's own work for a machine full of disks: identify each stored disk, read and judge its
// attribute table, and write its report lines, then join the report text as it is saved.

#include "app/ReportLines.h"
#include "bench/BenchDisks.h"
#include "base/StringList.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int DiskCount = 32;

void BM_ReportOf32Disks(benchmark::State& state)
{
    const std::vector<StoredDrive> disks = BenchDisks(DiskCount);
    std::size_t reportBytes = 0;
    for (auto _ : state) {
        // A fresh set of drives each round, as the stored drive records every request it gets.
        state.PauseTiming();
        StoredBlocksDrive io(disks);
        state.ResumeTiming();
        TStringList lines;
        for (int disk = 0; disk < DiskCount; ++disk) {
            TDriveResult drive;
            TSmartResult smart;
            const bool ok = ReadSmartInfo(io, disk, drive, smart);
            AppendDiskReport(lines, disk, ok, drive, smart);
        }
        const std::string text = lines.Text();
        reportBytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reportBytes));
    state.counters["disk_time"] =
        benchmark::Counter(DiskCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["report_bytes"] = static_cast<double>(reportBytes);
}

} // namespace

BENCHMARK(BM_ReportOf32Disks)->Unit(benchmark::kMicrosecond);
