// Showing an editor with a full table: the window built, shown (its showing loads the document) and
// laid out and painted on the offscreen platform. Target: under 100 ms each. Reports only.

#include "../tests/support/Recorders.h"
#include "canopen/EmcyDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
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
            tables.in << MappingRow{QStringLiteral("1"), QStringLiteral("Holding Register"),
                                    QString::number(i),  QStringLiteral("1"),
                                    QString::number(i),  QStringLiteral("in %1").arg(i)};
            tables.out << MappingRow{QStringLiteral("2"), QString::number(i), QStringLiteral("1"),
                                     QString::number(i), QStringLiteral("out %1").arg(i)};
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

constexpr int kTableRecords = 10000;

// A project whose table documents hold 10,000 records, half on each side.
struct FullTableProject
{
    QTemporaryDir dir;
    test::Recorders r;
    FullTableProject()
    {
        r.paths.ProjectDir = dir.path();
        SetDocumentPaths(r.paths);
        QList<QStringList> pdo, emcy;
        for (int i = 0; i < kTableRecords; ++i) {
            const QString flag = i < kTableRecords / 2 ? QStringLiteral("3") : QStringLiteral("1");
            pdo << QStringList{QStringLiteral("0x%1").arg(0x180 + i, 0, 16), QString::number(i % 127 + 1),
                               flag, QString::number(i % 8), QStringLiteral("1")};
            QStringList row{QString::number(i + 1)};
            for (int k = 1; k < EmcyDocument::definition().AttributeNames.size() - 1; ++k)
                row << QString::number(k);
            row << (i < kTableRecords / 2 ? QStringLiteral("37") : QStringLiteral("17"));
            emcy << row;
        }
        WriteTableDocument(PdoDocument::definition(), r.paths.RpdoDefXmlPath, pdo);
        WriteTableDocument(EmcyDocument::definition(), r.paths.EmcyDefXmlPath, emcy);
    }
};

template <typename Window>
void ShowTableEditor(benchmark::State& state)
{
    FullTableProject project;
    for (auto _ : state) {
        Window window(project.r.context);
        window.show();
        QApplication::processEvents();
        window.hide();
    }
    state.counters["messages"] = double(project.r.messages.all.size()); // load refusals would show here
}
BENCHMARK_TEMPLATE(ShowTableEditor, TFpdo)->Name("ShowPdoEditor/10000")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(ShowTableEditor, TFemcy)->Name("ShowEmcyEditor/10000")->Unit(benchmark::kMillisecond);

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
