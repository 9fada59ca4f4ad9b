// Times the PROFIBUS byte map of two full tables (2 x 244 rows, overlapping, some past the data length).
// The editor recomputes it at every cell edit, so it must stay well under 1 ms.

#include "mapping/ByteMap.h"

#include <benchmark/benchmark.h>

using namespace velmaro;

namespace {

MappingTables fullTables()
{
    MappingTables tables;
    for (int i = 0; i < MappingRowCount; ++i) {
        const QString points = QString::number(1 + i % 4);
        const QString address = QString::number((i * 37) % 250);
        tables.in.append({QString::number(1 + i % 250), QStringLiteral("Holding Register"),
                          QString::number(i), points, address, QStringLiteral("m")});
        tables.out.append(
            {QString::number(1 + i % 250), QString::number(i), points, address, QStringLiteral("m")});
    }
    return tables;
}

void BM_ByteMapsFullTables(benchmark::State& state)
{
    const MappingTables tables = fullTables();
    const MappingLimits limits{244, 244};
    for (auto _ : state) {
        ByteMaps maps = ComputeByteMaps(tables, limits);
        benchmark::DoNotOptimize(maps);
    }
}
BENCHMARK(BM_ByteMapsFullTables)->Unit(benchmark::kMicrosecond);

void BM_PackFullTable(benchmark::State& state)
{
    const MappingTables tables = fullTables();
    for (auto _ : state) {
        PackResult packed = PackRows(MappingSide::In, tables.in, 244);
        benchmark::DoNotOptimize(packed);
    }
}
BENCHMARK(BM_PackFullTable)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
