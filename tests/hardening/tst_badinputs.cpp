// Walks the bad-input catalogue (tests/data/bad/catalogue.txt and the large or deep documents made
// here): every reader meets every input in a complete project, and for each input there is a clear
// message, no crash, no hang, and no file changed unless the step that changed it succeeded.

#include "HardeningSupport.h"
#include "app/Workspace.h"
#include "base/IntegerText.h"
#include "canopen/TableMechanisms.h"
#include "cli/CliTables.h"
#include "mapping/MappingDocument.h"
#include "platform/Workbook.h"
#include "settings/CommSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <zip.h>

using namespace velmaro;
using namespace velmaro::test;

namespace {

const QString kBad = QStringLiteral(VELMARO_TEST_DATA "/bad");

// One reading or writing step and what it said.
struct Step
{
    QString name;
    bool ok = true;
    QString message;
    QStringList outputs; // files (relative to the project) the step may replace when it succeeds
};

QString nativePath(const QString& path)
{
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// Where an input of each kind goes in the project.
QStringList placesFor(const QString& kind, const ProjectPaths& p, const QString& suffix, bool primaryOnly)
{
    if (kind == QLatin1String("pargen"))
        return {p.PargenXmlPath};
    if (kind == QLatin1String("sdo"))
        return {p.SdoXmlPath};
    if (kind == QLatin1String("table")) {
        if (primaryOnly)
            return {p.RpdoDefXmlPath};
        return {p.RpdoDefXmlPath, p.SdoPdoXmlPath, p.PdoXmlPath, p.EmcyDefXmlPath, p.EmcyWordXmlPath};
    }
    if (kind == QLatin1String("workbook"))
        return {p.ProjectDir + QStringLiteral("\\input") + suffix};
    if (kind == QLatin1String("ini"))
        return {p.ProjectDir + IniFileName};
    if (kind == QLatin1String("bank"))
        return {p.ProjectDir + QStringLiteral("\\bin\\bank.bin")};
    if (kind == QLatin1String("gsd"))
        return {p.ProjectDir + QStringLiteral("\\out.gsd")};
    return {};
}

Step verbStep(const QString& verb, const QStringList& args, const QStringList& outputs)
{
    const VerbRun run = RunVerb(verb, args);
    return {verb + QLatin1Char(' ') + args.value(0), run.code == 0, run.code == 0 ? run.out : run.err,
            outputs};
}

// The steps of one kind, in the order a user would meet them; each runs only when called.
QList<std::function<Step()>> stepsFor(const QString& kind, const ProjectPaths& p, const QString& input,
                                      const QByteArray& bytes)
{
    QList<std::function<Step()>> steps;
    if (kind == QLatin1String("integer")) {
        steps << [bytes] {
            const auto value = ParseIntegerText(QString::fromUtf8(bytes));
            return Step{QStringLiteral("ParseIntegerText"), value.ok(), value.error(), {}};
        };
    } else if (kind == QLatin1String("pargen")) {
        steps << [p] {
            const auto loaded = LoadCommSettings(p.PargenXmlPath);
            return Step{QStringLiteral("LoadCommSettings"), loaded.ok(), loaded.error(), {}};
        };
        steps << [p] { return verbStep(QStringLiteral("check"), {p.ProjectDir}, {}); };
        steps << [p] {
            return verbStep(QStringLiteral("image"), {p.ProjectDir}, {QStringLiteral("bin/bank.bin")});
        };
        steps << [p] {
            return verbStep(QStringLiteral("gsd"), {p.ProjectDir, p.ProjectDir + QStringLiteral("/out.gsd")},
                            {QStringLiteral("out.gsd")});
        };
    } else if (kind == QLatin1String("sdo")) {
        steps << [p] {
            const MappingLoad load = LoadMappingDocument(p.SdoXmlPath);
            QStringList said = load.notices;
            if (!load.ok())
                said.prepend(load.error);
            if (said.isEmpty()) // what was read, to show no entity was expanded
                said << QStringLiteral("%1 + %2 rows, first Mnemonic \"%3\"")
                            .arg(load.tables.in.size())
                            .arg(load.tables.out.size())
                            .arg(load.tables.in.value(0).value(5));
            return Step{QStringLiteral("LoadMappingDocument"),
                        load.ok() && load.notices.isEmpty(),
                        said.join(QLatin1Char('\n')),
                        {}};
        };
        steps << [p] { return verbStep(QStringLiteral("check"), {p.ProjectDir}, {}); };
    } else if (kind == QLatin1String("table")) {
        for (const cli::CliTable& table : cli::CliTables()) {
            steps << [p, &table] {
                const QStringList said = table.create()->load(p);
                return Step{QStringLiteral("load ") + QLatin1String(table.name),
                            said.isEmpty(),
                            said.join(QLatin1Char('\n')),
                            {}};
            };
        }
    } else if (kind == QLatin1String("ini")) {
        // The INI file lives beside the executable; here the project folder stands in for that folder.
        steps << [p] {
            ProjectPaths restored;
            RestoreLastProject(restored, p.ProjectDir);
            return Step{QStringLiteral("RestoreLastProject"), true, restored.ProjectName, {}};
        };
        steps << [p] {
            ProjectPaths q;
            q.AppDir = p.ProjectDir;
            q.ProjectName = QStringLiteral("\\plant");
            const Status saved = SaveLastProject(q);
            return Step{QStringLiteral("SaveLastProject"), saved.ok(), saved.error(), {IniFileName.mid(1)}};
        };
    } else if (kind == QLatin1String("bank")) {
        steps << [p] {
            return verbStep(QStringLiteral("image"), {p.ProjectDir}, {QStringLiteral("bin/bank.bin")});
        };
    } else if (kind == QLatin1String("gsd")) {
        steps << [p] {
            return verbStep(QStringLiteral("gsd"), {p.ProjectDir, p.ProjectDir + QStringLiteral("/out.gsd")},
                            {QStringLiteral("out.gsd")});
        };
    } else if (kind == QLatin1String("workbook")) {
        steps << [input] {
            const auto workbook = OpenWorkbook(input);
            if (!workbook.ok())
                return Step{QStringLiteral("OpenWorkbook"), false, workbook.error(), {}};
            QStringList said;
            for (const QString& name : (*workbook)->worksheetNames()) {
                const auto rows = (*workbook)->readRows(name);
                if (!rows.ok())
                    said << rows.error();
            }
            return Step{QStringLiteral("OpenWorkbook"), said.isEmpty(), said.join(QLatin1Char('\n')), {}};
        };
        for (const cli::CliTable& table : cli::CliTables()) {
            steps << [p, input, &table] {
                QStringList outputs;
                for (const QString* doc : {&p.RpdoDefXmlPath, &p.SdoPdoXmlPath, &p.PdoXmlPath,
                                           &p.EmcyDefXmlPath, &p.EmcyWordXmlPath})
                    outputs << QDir(nativePath(p.ProjectDir)).relativeFilePath(nativePath(*doc));
                // On the command line the workbook is a native path, as a person types it.
                return verbStep(QStringLiteral("import"),
                                {QLatin1String(table.name), p.ProjectDir, nativePath(input)}, outputs);
            };
        }
    }
    return steps;
}

// Hashes instead of bytes: the large documents would otherwise be held several times.
Snapshot hashedSnapshot(const QString& root)
{
    Snapshot snapshot = TakeSnapshot(root);
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
        it.value() = QCryptographicHash::hash(it.value(), QCryptographicHash::Sha1);
    return snapshot;
}

// A workbook whose worksheet part inflates to over 100 MB from a small package.
void writeLargeWorkbook(const QString& path)
{
    QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    const QByteArray row =
        "<row><c><v>385</v></c><c><v>1</v></c><c><v>3</v></c><c><v>0</v></c><c><v>1</v></c></row>";
    sheet.reserve(101 * 1024 * 1024);
    while (sheet.size() < 100 * 1024 * 1024)
        sheet += row;
    sheet += "</sheetData></worksheet>";
    const QList<QPair<const char*, QByteArray>> parts = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
         "<sheet name=\"rpdodef\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
         "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
         "openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = zip_file_add(zip, name, source, ZIP_FL_OVERWRITE);
        QVERIFY(index >= 0);
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    QVERIFY(zip_close(zip) == 0); // the buffers are read here, while `parts` still holds them
}

// The documents made here rather than stored: a generator writes one to `path`.
void writeLarge(const QString& kind, const QString& path)
{
    if (kind == QLatin1String("workbook")) {
        writeLargeWorkbook(path);
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray head, row, tail;
    if (kind == QLatin1String("pargen")) {
        head = "<Par_Gen>\n";
        row = "  <Ser_Baud>7</Ser_Baud>\n";
        tail = "</Par_Gen>\n";
    } else if (kind == QLatin1String("sdo")) {
        head = "<Serial_to_ProfiBus>\n  <ProfiBUS_IN>\n";
        row = "    <row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"1\" "
              "Address_Profi=\"0\" "
              "Mnemonic=\"m\" />\n";
        tail = "  </ProfiBUS_IN>\n  <ProfiBUS_OUT/>\n</Serial_to_ProfiBus>\n";
    } else {
        head = "<rpdodef>\n";
        row = "  <row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\" />\n";
        tail = "</rpdodef>\n";
    }
    QByteArray chunk;
    while (chunk.size() < 1024 * 1024)
        chunk += row;
    file.write(head);
    for (qint64 written = 0; written < 100LL * 1024 * 1024; written += chunk.size())
        QVERIFY(file.write(chunk) == chunk.size());
    file.write(tail);
}

QByteArray deeplyNested(const QString& kind)
{
    constexpr int depth = 200000;
    const QByteArray nest = QByteArray("<n>").repeated(depth) + QByteArray("</n>").repeated(depth);
    if (kind == QLatin1String("pargen"))
        return ReadBytes(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"))
            .replace("<Ser_Baud>7</Ser_Baud>", QByteArray("<Ser_Baud>" + nest + "</Ser_Baud>"));
    if (kind == QLatin1String("sdo"))
        return ReadBytes(QStringLiteral(VELMARO_TEST_DATA "/mapping/full.xml"))
            .replace("<ProfiBUS_OUT>", QByteArray("<ProfiBUS_OUT>" + nest));
    return "<rpdodef>\n  <row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\" "
           "/>\n"
           + nest + "\n</rpdodef>\n";
}

} // namespace

class TestBadInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void catalogue_data();
    void catalogue();
    void catalogueIsComplete();
};

void TestBadInputs::catalogue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("file");      // the stored input, or empty
    QTest::addColumn<QString>("generator"); // "large" or "deep" for a made input
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("fragment");

    QFile manifest(kBad + QStringLiteral("/catalogue.txt"));
    QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!manifest.atEnd()) {
        const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char('|'));
        QVERIFY2(parts.size() == 3, qPrintable(line));
        const QString file = parts.at(0).trimmed();
        const QString kind = file.section(QLatin1Char('/'), 0, 0);
        const QString outcome = parts.at(1).trimmed();
        QVERIFY2(outcome == QLatin1String("refused") || outcome == QLatin1String("accepted"),
                 qPrintable(line));
        QString generator;
        if (kind == QLatin1String("generated")) {
            // generated/<kind>-<large|deep|fifo|folder|devzero>
            const QString name = file.section(QLatin1Char('/'), 1);
            generator = name.section(QLatin1Char('-'), 1);
            QTest::newRow(qPrintable(file)) << name.section(QLatin1Char('-'), 0, 0) << QString() << generator
                                            << (outcome == QLatin1String("refused")) << parts.at(2).trimmed();
            continue;
        }
        QTest::newRow(qPrintable(file)) << kind << kBad + QLatin1Char('/') + file << QString()
                                        << (outcome == QLatin1String("refused")) << parts.at(2).trimmed();
    }
}

void TestBadInputs::catalogue()
{
    QFETCH(QString, kind);
    QFETCH(QString, file);
    QFETCH(QString, generator);
    QFETCH(bool, refused);
    QFETCH(QString, fragment);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const ProjectPaths p = MakeProject(tmp.path(), tmp.path() + QStringLiteral("/project"));
    const QString suffix =
        file.isEmpty() ? QStringLiteral(".xlsx") : QLatin1Char('.') + QFileInfo(file).suffix();
    const bool special = generator == QLatin1String("fifo") || generator == QLatin1String("folder")
                         || generator == QLatin1String("devzero");
    const QStringList places = placesFor(kind, p, suffix, !generator.isEmpty() && !special);
    QByteArray bytes;
    if (special) {
        for (const QString& place : places)
            QVERIFY2(MakeSpecialFile(generator, nativePath(place)), qPrintable(place));
    } else if (generator == QLatin1String("large")) {
        writeLarge(kind, nativePath(places.first()));
        if (QTest::currentTestFailed())
            return;
    } else {
        bytes = generator == QLatin1String("deep") ? deeplyNested(kind) : ReadBytes(file);
        QVERIFY(!bytes.isEmpty() || QFileInfo(file).size() == 0);
        for (const QString& place : places)
            QVERIFY(WriteBytes(nativePath(place), bytes));
    }
    const QString input = places.value(0);

    QElapsedTimer timer;
    timer.start();
    Snapshot before = hashedSnapshot(tmp.path() + QStringLiteral("/project"));
    QStringList said;
    bool anyRefused = false;
    for (const auto& run : stepsFor(kind, p, input, bytes)) {
        const Step step = run();
        const Snapshot after = hashedSnapshot(tmp.path() + QStringLiteral("/project"));
        const QStringList changed = Differences(before, after);
        if (!step.ok) {
            anyRefused = true;
            QVERIFY2(!step.message.trimmed().isEmpty(),
                     qPrintable(step.name + QStringLiteral(" refused without a message")));
            QVERIFY2(changed.isEmpty(), qPrintable(step.name + QStringLiteral(" failed but changed ")
                                                   + changed.join(QLatin1Char(' '))));
        } else {
            for (const QString& name : changed)
                QVERIFY2(step.outputs.contains(name),
                         qPrintable(step.name + QStringLiteral(" changed ") + name));
        }
        said << step.name + QStringLiteral(": ") + step.message.trimmed();
        before = after;
    }
    const QString all = said.join(QLatin1Char('\n'));
    if (qEnvironmentVariableIsSet("VELMARO_SHOW_MESSAGES"))
        qInfo().noquote() << all;
    // No entity is expanded and no outside file is read.
    QVERIFY2(!all.contains(QLatin1String("lollollol")), qPrintable(all));
    QVERIFY2(!all.contains(QLatin1String("root:")), qPrintable(all));
    QVERIFY2(anyRefused == refused, qPrintable(all));
    QVERIFY2(all.contains(fragment),
             qPrintable(QStringLiteral("expected \"%1\" in:\n%2").arg(fragment, all)));
    // A guard against an input that makes a reader spin, not a speed target: generous enough for a busy
    // machine with two cores running the whole suite in parallel.
    QVERIFY2(timer.elapsed() < 90000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
}

void TestBadInputs::catalogueIsComplete()
{
    // Every stored input has its line, and the catalogue keeps its breadth.
    QFile manifest(kBad + QStringLiteral("/catalogue.txt"));
    QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(manifest.readAll());
    QDirIterator it(kBad, QDir::Files, QDirIterator::Subdirectories);
    int stored = 0;
    while (it.hasNext()) {
        const QString name = QDir(kBad).relativeFilePath(it.next());
        if (!name.contains(QLatin1Char('/')))
            continue; // the catalogue itself and its generator
        ++stored;
        QVERIFY2(text.contains(QLatin1Char('\n') + name + QLatin1Char(' ')),
                 qPrintable(name + QStringLiteral(" has no line")));
    }
    QVERIFY(stored >= 40);
}

QTEST_GUILESS_MAIN(TestBadInputs)
#include "tst_badinputs.moc"
