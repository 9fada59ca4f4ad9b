// What every table document promises, kind by kind: the message of a missing document, the save order
// of each side, a refused save that leaves the document as it was, and an import that stops at a bad
// record with the records before it placed.

#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"
#include "platform/FileSystem.h"
#include "platform/Workbook.h"
#include "support/TestFiles.h"
#include "support/TestProject.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using namespace velmaro::test;

namespace {

// A worksheet record of `kind` with the key text `key` on side "A" or "B"; any other side text is put
// where the kind keeps its side, which no kind accepts.
QStringList record(const QString& kind, const QString& side, const QString& key)
{
    const bool b = side == QLatin1String("B");
    auto marker = [&](const char* onA, const char* onB) {
        return side == QLatin1String("A") || b ? QLatin1String(b ? onB : onA) : side;
    };
    if (kind == QLatin1String("rpdodef"))
        return {key, "1", marker("0", "2"), "0", "0"};
    if (kind == QLatin1String("sdopdo"))
        return {key, "0", marker("1", "129"), "0"};
    if (kind == QLatin1String("emcydef"))
        return QStringList{key} + QStringList(10, QStringLiteral("0")) + QStringList{marker("0", "32")};
    return QStringList{"0x2000", "1", marker("0", "1"), key} + QStringList(48, QStringLiteral("0"));
}

// The key attribute of each row of a written document, in document order.
QStringList writtenKeys(const QByteArray& xml, const QString& kind)
{
    static const QHash<QString, QString> keys{
        {"rpdodef", "cobid"}, {"sdopdo", "index"}, {"emcydef", "id_dev"}, {"emcyword", "devid"}};
    const QRegularExpression pattern(QStringLiteral(" %1=\"([^\"]*)\"").arg(keys.value(kind)));
    QStringList found;
    for (auto it = pattern.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
        found << it.next().captured(1);
    return found;
}

struct Run
{
    QStringList missing; // the showing's messages before any document of the kind exists
    ImportOutcome imported;
    Result<bool> saved = false;
    bool createdOnRefusal = false; // a refused save created the document
    Result<bool> savedOverOld = false;
    QByteArray oldAfter; // the old document after the second save
};

// Shows the editor on a project without its document, imports `sheet`, then saves twice: without a
// document, and over an old one.
template <class Document>
Run run(const ProjectPaths& paths, const MemoryWorkbook& book)
{
    Run r;
    typename Document::Table table;
    r.missing = Document::load(paths, table).messages();
    r.imported = Document::importWorkbook(book, table, ImportRule::Editor);
    const QString path = NativePath(Document::path(paths)); // the file as the OS names it
    r.saved = Document::save(paths, table);
    if (!r.saved.ok()) {
        r.createdOnRefusal = QFile::exists(path);
        writeFile(path, "<old/>");
        r.savedOverOld = Document::save(paths, table);
        r.oldAfter = readFile(path);
    }
    return r;
}

} // namespace

class TestTableDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contract_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("records"); // "side:key"
        QTest::addColumn<QString>("missing");     // the message of a missing document
        QTest::addColumn<QStringList>("written"); // keys in save order; side A first
        QTest::addColumn<QString>("refusal");     // the save's refusal; empty when it saves
        QTest::addColumn<int>("stop");            // the record the import stops at; 0 for none

        const QString notFound = TableNotFoundMessage;
        const QString storedNotFound = QStringLiteral("File SDOPDO XML not found");
        const QStringList mixed{"B:7", "A:5", "A:0x3", "A:1", "B:0x2"};
        const QStringList ascending{"1", "0x3", "5", "0x2", "7"};
        QTest::newRow("rpdodef: sides ordered by cobid")
            << "rpdodef" << mixed << notFound << ascending << "" << 0;
        QTest::newRow("sdopdo: sides ordered by index")
            << "sdopdo" << mixed << storedNotFound << ascending << "" << 0;
        QTest::newRow("emcydef: sides ordered by label")
            << "emcydef" << mixed << notFound << ascending << "" << 0;
        QTest::newRow("emcyword: sides ordered by devid")
            << "emcyword" << mixed << notFound << ascending << "" << 0;

        // Equal keys: the later one first, but the stored-PDO document keeps list order.
        const QStringList equal{"A:5", "A:0x5"};
        QTest::newRow("rpdodef: equal cobids, later first")
            << "rpdodef" << equal << notFound << QStringList{"0x5", "5"} << "" << 0;
        QTest::newRow("sdopdo: equal indexes in list order")
            << "sdopdo" << equal << storedNotFound << QStringList{"5", "0x5"} << "" << 0;
        QTest::newRow("emcydef: equal labels, later first")
            << "emcydef" << equal << notFound << QStringList{"0x5", "5"} << "" << 0;
        QTest::newRow("emcyword: equal devids, later first")
            << "emcyword" << equal << notFound << QStringList{"0x5", "5"} << "" << 0;

        const QString notInteger = QStringLiteral("'%1' is not a valid integer value");
        QTest::newRow("rpdodef: cobid not an integer")
            << "rpdodef" << QStringList{"A:1", "B:0x18G"} << notFound << QStringList{}
            << notInteger.arg("0x18G") << 0;
        QTest::newRow("sdopdo: index not an integer") << "sdopdo" << QStringList{"B:idx"} << storedNotFound
                                                      << QStringList{} << notInteger.arg("idx") << 0;
        QTest::newRow("emcydef: empty label on A")
            << "emcydef" << QStringList{"A:1", "A:"} << notFound << QStringList{} << notInteger.arg("") << 0;
        QTest::newRow("emcydef: text label on B") << "emcydef" << QStringList{"A:1", "B:abc"} << notFound
                                                  << QStringList{} << notInteger.arg("abc") << 0;
        QTest::newRow("emcydef: label with a trailing blank")
            << "emcydef" << QStringList{"A:1", "A:5 "} << notFound << QStringList{} << notInteger.arg("5 ")
            << 0;
        QTest::newRow("emcyword: devid not an integer") << "emcyword" << QStringList{"A:1", "A:x"} << notFound
                                                        << QStringList{} << notInteger.arg("x") << 0;

        // A side that is not an integer stops the import; the records before it stay and are saved.
        const QStringList badSide{"A:1", "B:2", "x:3", "A:4"};
        for (const char* kind : {"rpdodef", "sdopdo", "emcydef", "emcyword"}) {
            QTest::addRow("%s: import stops at a side that is not an integer", kind)
                << kind << badSide << (kind == QLatin1String("sdopdo") ? storedNotFound : notFound)
                << QStringList{"1", "2"} << "" << 3;
        }
    }
    void contract()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, records);
        QFETCH(QStringList, written);
        QFETCH(QString, refusal);
        QFETCH(int, stop);
        QTemporaryDir dir;
        ProjectPaths paths;
        UseProjectDir(paths, dir.path());
        // The stored-PDO editor places entries on the PDOs of the translation document: one per tab.
        if (kind == QLatin1String("sdopdo")) {
            writeFile(NativePath(paths.RpdoDefXmlPath),
                      "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"0\" "
                      "posind=\"0\" n_tpdo=\"1\"/><row cobid=\"0x201\" id_dev_orig=\"1\" "
                      "en_bypass=\"2\" posind=\"0\" n_tpdo=\"1\"/></rpdodef>");
            writeFile(NativePath(paths.SdoXmlPath), "<sdo/>");
        }
        MemoryWorkbook book;
        MemoryWorkbook::Sheet sheet{kind, {QStringList(record(kind, "A", "k").size(), QStringLiteral("h"))}};
        for (const QString& r : records)
            sheet.rows << record(kind, r.section(QLatin1Char(':'), 0, 0), r.section(QLatin1Char(':'), 1));
        book.sheets << sheet;

        Run r;
        if (kind == QLatin1String("rpdodef"))
            r = run<PdoDocument>(paths, book);
        else if (kind == QLatin1String("sdopdo"))
            r = run<StoredPdoDocument>(paths, book);
        else if (kind == QLatin1String("emcydef"))
            r = run<EmcyDocument>(paths, book);
        else
            r = run<EmcyWordDocument>(paths, book);

        QFETCH(QString, missing);
        QCOMPARE(r.missing.value(0), missing);
        QCOMPARE(r.imported.record, stop);
        QCOMPARE(r.imported.ok(), stop == 0);
        if (stop != 0)
            QCOMPARE(r.imported.records, stop - 1);
        if (refusal.isEmpty()) {
            QVERIFY2(r.saved.ok() && *r.saved, qPrintable(r.saved.ok() ? QString() : r.saved.error()));
            const QString documentFile = dir.filePath(kind + QStringLiteral(".xml"));
            QCOMPARE(writtenKeys(readFile(documentFile), kind), written);
        } else {
            QCOMPARE(r.saved.error(), refusal);
            QVERIFY(!r.createdOnRefusal);
            QCOMPARE(r.savedOverOld.error(), refusal);
            QCOMPARE(r.oldAfter, QByteArray("<old/>"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTableDocuments)
#include "tst_tabledocuments.moc"
