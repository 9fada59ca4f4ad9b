// Times the table mechanisms on a 10,000-record PDO translation table: load, order and save,
// import (.xlsx, .ods and in memory) and CSV export. Each should stay well under 100 ms.

#include "canopen/PdoDocument.h"
#include "platform/Workbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <zip.h>

using namespace velmaro;

namespace {

constexpr int kRecords = 10000;

// Deterministic COB-IDs with repeats, half written in hex.
QString cobid(int i)
{
    const int value = 0x180 + (i * 7919) % 4000;
    return i % 2 ? QString::number(value) : QStringLiteral("0x") + QString::number(value, 16);
}

struct Fixture
{
    QTemporaryDir dir;
    ProjectPaths paths; // the fixture project: rpdodef.xml
    ProjectPaths saved; // where the save benchmark writes
    QString xlsxPath;
    QString odsPath;
    MemoryWorkbook memory;

    Fixture()
    {
        paths.ProjectDir = dir.path();
        SetDocumentPaths(paths);
        saved.ProjectDir = dir.path() + QStringLiteral("/saved");
        SetDocumentPaths(saved);
        if (!QDir().mkpath(saved.ProjectDir))
            std::abort();
        xlsxPath = dir.path() + QStringLiteral("/pdo.xlsx");
        odsPath = dir.path() + QStringLiteral("/pdo.ods");
        QByteArray doc = "<rpdodef>\n";
        QByteArray sheet =
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>cobid</t></is></c></row>";
        QByteArray content =
            "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
            "<office:spreadsheet><table:table table:name=\"rpdodef\"><table:table-row>"
            "<table:table-cell office:value-type=\"string\"><text:p>cobid</text:p></table:table-cell>"
            "</table:table-row>";
        MemoryWorkbook::Sheet memorySheet{QStringLiteral("rpdodef"),
                                          {PdoDocument::definition().AttributeNames}};
        for (int i = 0; i < kRecords; ++i) {
            const QByteArray id = cobid(i).toUtf8();
            const QByteArray n = QByteArray::number(i);
            const int flag = i % 4;
            doc += "  <row cobid=\"" + id + "\" id_dev_orig=\"" + QByteArray::number(i % 128)
                   + "\" en_bypass=\"" + QByteArray::number(flag) + "\" posind=\"" + QByteArray::number(i % 8)
                   + "\" n_tpdo=\"" + n + "\" />\n";
            const QByteArray r = QByteArray::number(i + 2);
            const QByteArray sheetFlag = QByteArray::number((flag & 2 ? 10 : 0) + (flag & 1));
            sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>" + id
                     + "</t></is></c><c r=\"B" + r + "\"><v>" + QByteArray::number(i % 128)
                     + "</v></c><c r=\"C" + r + "\"><v>" + sheetFlag + "</v></c><c r=\"D" + r + "\"><v>"
                     + QByteArray::number(i % 8) + "</v></c><c r=\"E" + r + "\"><v>" + n + "</v></c></row>";
            content +=
                "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" + id
                + "</text:p></table:table-cell><table:table-cell office:value-type=\"float\" office:value=\""
                + QByteArray::number(i % 128)
                + "\"/><table:table-cell office:value-type=\"float\" office:value=\"" + sheetFlag
                + "\"/><table:table-cell office:value-type=\"float\" office:value=\""
                + QByteArray::number(i % 8)
                + "\"/><table:table-cell office:value-type=\"float\" office:value=\"" + n
                + "\"/></table:table-row>";
            memorySheet.rows.append({QString::fromUtf8(id), QString::number(i % 128),
                                     QString::fromUtf8(sheetFlag), QString::number(i % 8),
                                     QString::fromUtf8(n)});
        }
        doc += "</rpdodef>\n";
        sheet += "</sheetData></worksheet>";
        content += "<table:table-row table:number-rows-repeated=\"1038575\"><table:table-cell "
                   "table:number-columns-repeated=\"1024\"/></table:table-row>"
                   "</table:table></office:spreadsheet></office:body></office:document-content>";
        memory.sheets.append(memorySheet);
        QFile f(dir.path() + QStringLiteral("/rpdodef.xml"));
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(doc);
        f.close();
        writeZip(xlsxPath,
                 {{"_rels/.rels",
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
                  {"xl/workbook.xml",
                   "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                   "<sheet name=\"rpdodef\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
                  {"xl/_rels/workbook.xml.rels",
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/></Relationships>"},
                  {"xl/worksheets/sheet1.xml", sheet}});
        writeZip(odsPath,
                 {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
    }

    static void writeZip(const QString& path, const QList<std::pair<const char*, QByteArray>>& parts)
    {
        int error = 0;
        zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!zip)
            std::abort();
        for (const auto& [name, bytes] : parts) {
            auto* copy = new QByteArray(bytes); // kept alive until zip_close
            zip_source_t* source = zip_source_buffer(zip, copy->constData(), zip_uint64_t(copy->size()), 0);
            if (!source || zip_file_add(zip, name, source, ZIP_FL_OVERWRITE) < 0)
                std::abort();
        }
        if (zip_close(zip) != 0)
            std::abort();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_LoadTable(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        PdoTable table;
        if (!PdoDocument::load(f.paths, table).failures.isEmpty())
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(table);
    }
}

void BM_OrderAndSaveTable(benchmark::State& state)
{
    Fixture& f = fixture();
    PdoTable table;
    PdoDocument::load(f.paths, table);
    for (auto _ : state) {
        if (!PdoDocument::save(f.saved, table).ok())
            state.SkipWithError("save failed");
    }
}

void BM_OrderByKey(benchmark::State& state)
{
    QList<QStringList> keys;
    for (int i = 0; i < kRecords; ++i)
        keys.append({cobid(i)});
    for (auto _ : state)
        benchmark::DoNotOptimize(OrderByKey(keys, OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins}));
}

void importFile(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        PdoTable table;
        const ImportOutcome r = PdoDocument::importWorkbook(path, table, ImportRule::Editor);
        if (!r.ok() || r.records != kRecords)
            state.SkipWithError("import failed");
    }
}

void BM_ImportXlsx(benchmark::State& state)
{
    importFile(state, fixture().xlsxPath);
}

void BM_ImportOds(benchmark::State& state)
{
    importFile(state, fixture().odsPath);
}

void BM_ImportInMemory(benchmark::State& state)
{
    for (auto _ : state) {
        PdoTable table;
        if (!PdoDocument::importWorkbook(fixture().memory, table, ImportRule::Editor).ok())
            state.SkipWithError("import failed");
    }
}

void BM_ExportCsv(benchmark::State& state)
{
    Fixture& f = fixture();
    QList<QStringList> lines;
    for (const auto& row : f.memory.sheets.first().rows)
        lines.append(row);
    const TableDefinition table{QStringLiteral("bench"), PdoDocument::definition().AttributeNames};
    for (auto _ : state) {
        if (!ExportCsv(f.dir.path(), table, lines).ok())
            state.SkipWithError("export failed");
    }
}

void BM_ExportPdoEditor(benchmark::State& state)
{
    PdoTable table;
    PdoDocument::load(fixture().paths, table);
    for (auto _ : state) {
        if (!PdoDocument::exportCsv(fixture().paths, table).ok())
            state.SkipWithError("export failed");
    }
}

} // namespace

BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderByKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderAndSaveTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportOds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPdoEditor)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
