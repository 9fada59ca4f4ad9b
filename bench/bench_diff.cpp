// Times velmaro-cli diff's comparison of two projects: two full mapping tables (244 rows each) and the
// four CANopen documents with 1,000 rows each, read from files and compared. Target: under 50 ms.
// Also the comparison alone on tables already in memory, and the worst case for the row alignment
// (two mapping tables with no row in common).

#include "app/ProjectDiff.h"
#include "app/ProjectReport.h"
#include "canopen/EmcyTable.h"
#include "canopen/EmcyWordTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace velmaro;

namespace {

constexpr int kTableRows = 1000;

MappingTables mappingTables(int variant)
{
    MappingTables tables;
    for (int i = 0; i < MappingRowCount; ++i) {
        // Variant 1: every 20th row changes a cell, and a row is inserted near the top (the last drops).
        const QString points = QString::number(1 + (i + (variant == 1 && i % 20 == 0 ? 1 : 0)) % 4);
        tables.in.append({QString::number(1 + i % 250), QStringLiteral("Holding Register"),
                          QString::number(i), points, QString::number(i % 122 * 2),
                          QStringLiteral("m%1").arg(i)});
        tables.out.append({QString::number(1 + i % 250), QString::number(i), points,
                           QString::number(i % 122 * 2), QStringLiteral("o%1").arg(i)});
    }
    if (variant == 1) {
        tables.in.insert(3, {QStringLiteral("9"), QStringLiteral("Coil"), QStringLiteral("7"),
                             QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("new")});
        tables.in.removeLast();
    }
    if (variant == 2) {
        for (MappingRow& row : tables.in) {
            row[2] += QStringLiteral("0");
            row[5] += QStringLiteral("x");
        }
    }
    return tables;
}

// Rows of one table kind: keys spread over both sides, every 50th row changed in variant 1.
QList<QStringList> tableRows(const QString& name, int variant)
{
    QList<QStringList> rows;
    for (int i = 0; i < kTableRows; ++i) {
        const QString n = QString::number(i);
        const QString changed = QString::number(variant == 1 && i % 50 == 0 ? i + 1 : i);
        if (name == QLatin1String("rpdodef")) {
            rows.append({QStringLiteral("0x%1").arg(0x180 + i, 0, 16), n, QString::number(i % 4), changed,
                         QString::number(i % 8)});
        } else if (name == QLatin1String("sdopdo")) {
            rows.append({QStringLiteral("0x%1").arg(0x6000 + i / 8, 0, 16), QString::number(i % 8),
                         QString::number(1 + i % 2 * 128), changed});
        } else if (name == QLatin1String("emcydef")) {
            QStringList row{n};
            for (int k = 1; k < 11; ++k)
                row << (k == 2 ? changed : QString::number(k));
            row << QString::number(i % 2 * 32 + 1);
            rows.append(row);
        } else {
            QStringList row{QStringLiteral("0x%1").arg(0x2000 + i, 0, 16), QStringLiteral("0"),
                            QString::number(i % 2), n};
            for (int k = 0; k < 48; ++k)
                row << (k == 5 ? changed : QString::number(k));
            rows.append(row);
        }
    }
    return rows;
}

QByteArray xmlOf(const QString& root, const QStringList& names, const QList<QStringList>& rows)
{
    QByteArray text = "<" + root.toUtf8() + ">\n";
    for (const QStringList& row : rows) {
        text += "  <row";
        for (int k = 0; k < names.size(); ++k)
            text += " " + names.at(k).toUtf8() + "=\"" + row.value(k).toUtf8() + "\"";
        text += " />\n";
    }
    return text + "</" + root.toUtf8() + ">\n";
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
}

struct Fixture
{
    QTemporaryDir dir;
    DiffSource a;
    DiffSource b;

    Fixture()
    {
        ProjectPaths none;
        SetDocumentPaths(none);
        for (int variant = 0; variant < 2; ++variant) {
            const QString project = dir.path() + (variant ? QStringLiteral("/b") : QStringLiteral("/a"));
            if (!QDir().mkpath(project))
                std::abort();
            const MappingTables mapping = mappingTables(variant);
            QByteArray sdo = "<Serial_to_ProfiBus>\n";
            for (MappingSide side : {MappingSide::In, MappingSide::Out})
                sdo += xmlOf(MappingElement(side), MappingAttributes(side), mapping.side(side));
            write(project + QStringLiteral("/sdo.xml"), sdo + "</Serial_to_ProfiBus>\n");
            for (const CanopenDocument& d : CanopenDocuments(none)) {
                write(project + QLatin1Char('/') + d.document,
                      xmlOf(d.definition.TableName, d.definition.AttributeNames,
                            tableRows(d.definition.TableName, variant)));
            }
            (variant ? b : a) = DiffSource{DiffKind::Project, project};
        }
    }
};

void BM_DiffProjectsFromFiles(benchmark::State& state)
{
    const Fixture fixture;
    for (auto _ : state) {
        Result<DiffResult> result = CompareSources(fixture.a, fixture.b);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_DiffProjectsFromFiles)->Unit(benchmark::kMillisecond);

void BM_DiffInMemory(benchmark::State& state)
{
    const MappingTables a = mappingTables(0);
    const MappingTables b = mappingTables(1);
    const QStringList names{QStringLiteral("rpdodef"), QStringLiteral("sdopdo"), QStringLiteral("emcydef"),
                            QStringLiteral("emcyword")};
    QList<QList<QStringList>> rowsA;
    QList<QList<QStringList>> rowsB;
    for (const QString& name : names) {
        rowsA << tableRows(name, 0);
        rowsB << tableRows(name, 1);
    }
    for (auto _ : state) {
        QList<DiffEntry> entries = DiffMappingTables(a, MappingLimits(), b, MappingLimits(), DiffOptions());
        for (int t = 0; t < names.size(); ++t)
            entries += DiffTableRows(names.at(t), rowsA.at(t), rowsB.at(t), DiffOptions());
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_DiffInMemory)->Unit(benchmark::kMillisecond);

void BM_DiffMappingNoRowInCommon(benchmark::State& state)
{
    const MappingTables a = mappingTables(0);
    const MappingTables b = mappingTables(2);
    for (auto _ : state) {
        QList<DiffEntry> entries = DiffMappingTables(a, MappingLimits(), b, MappingLimits(), DiffOptions());
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_DiffMappingNoRowInCommon)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
