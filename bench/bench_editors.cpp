// Showing an editor with a full table: the window built, shown (its showing loads the document) and
// laid out and painted on the offscreen platform. Target: under 100 ms each. Reports only.

#include "../tests/support/Recorders.h"

#include "mapping/MappingDocument.h"
#include "mapping/USetVar.h"
#include "settings/CommSettings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmaro;

namespace {

// A project whose sdo.xml fills both mapping tables (244 rows each).
struct FullMappingProject
{
    QTemporaryDir dir;
    test::Recorders r;
    FullMappingProject()
    {
        r.paths.ProjectDir = dir.path();
        SetDocumentPaths(r.paths);
        MappingTables tables;
        for (int i = 0; i < MappingRowCount; ++i) {
            tables.in << MappingRow{QStringLiteral("1"), QStringLiteral("Holding Register"), QString::number(i),
                                    QStringLiteral("1"), QString::number(i), QStringLiteral("in %1").arg(i)};
            tables.out << MappingRow{QStringLiteral("2"), QString::number(i), QStringLiteral("1"), QString::number(i),
                                     QStringLiteral("out %1").arg(i)};
        }
        SaveMappingDocument(r.paths.SdoXmlPath, tables);
    }
};

void ShowMappingEditor(benchmark::State& state)
{
    FullMappingProject project;
    for (auto _ : state) {
        TFSetVar window(project.r.context);
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.sga);
        window.hide();
    }
}
BENCHMARK(ShowMappingEditor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
