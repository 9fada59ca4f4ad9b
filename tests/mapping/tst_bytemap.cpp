#include "mapping/ByteMap.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;

namespace {

// Output rows from "ADDRESS:POINTS ..." (slave = row number, register 100 + row number).
QList<MappingRow> outRows(const QString& layout)
{
    QList<MappingRow> rows;
    for (const QString& item : layout.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QLatin1Char(':'));
        const QString n = QString::number(rows.size() + 1);
        rows.append(
            {n, QString::number(100 + rows.size() + 1), parts.at(1), parts.at(0), QStringLiteral("m")});
    }
    return rows;
}

// "C 2..5 1,2,3" (kind, bytes, rows) for each finding, in order.
QStringList brief(const ByteMap& map)
{
    QStringList lines;
    for (const ByteFinding& f : map.findings) {
        QStringList rows;
        for (const ByteRow& r : f.rows)
            rows << QString::number(r.row);
        const char kind = f.kind == FindingKind::Collision ? 'C' : f.kind == FindingKind::Beyond ? 'B' : 'U';
        lines << QString(QLatin1Char(kind) + QLatin1Char(' ') + ByteSpan(f.first, f.last) + QLatin1Char(' ')
                         + rows.join(QLatin1Char(',')))
                     .trimmed();
    }
    return lines;
}

// One character per byte: . free, U used, C collision, B beyond.
QString cells(const ByteMap& map)
{
    QString text;
    for (ByteUse use : map.bytes)
        text += QLatin1Char(".UCB"[int(use)]);
    return text;
}

} // namespace

class TestByteMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findings_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("findings");
        QTest::addColumn<QList<int>>("skipped");

        QTest::newRow("two rows overlap by one point")
            << "0:2 2:2" << 8 << QStringList{"C 2..3 1,2", "U 6..7"} << QList<int>{};
        QTest::newRow("three rows in a chain of overlaps form one run")
            << "0:3 2:2 4:2" << 8 << QStringList{"C 2..5 1,2,3"} << QList<int>{};
        QTest::newRow("three rows on the same bytes")
            << "10:1 10:1 10:1" << 12 << QStringList{"C 10..11 1,2,3", "U 0..9"} << QList<int>{};
        QTest::newRow("two separate collisions, a row between them")
            << "0:2 2:1 20:1 6:2 21:1" << 24
            << QStringList{"C 2..3 1,2", "C 21 3,5", "U 4..5", "U 10..19", "U 23"} << QList<int>{};
        QTest::newRow("two collisions whose shared bytes touch")
            << "0:1 0:1 2:1 2:1" << 4 << QStringList{"C 0..1 1,2", "C 2..3 3,4"} << QList<int>{};
        QTest::newRow("chain: the end rows do not overlap each other")
            << "0:2 2:2 4:2" << 8 << QStringList{"C 2..3 1,2", "C 4..5 2,3"} << QList<int>{};
        QTest::newRow("a long row under two short ones")
            << "0:10 2:1 12:1" << 20 << QStringList{"C 2..3 1,2", "C 12..13 1,3"} << QList<int>{};
        QTest::newRow("a pair inside a larger overlap keeps its own bytes")
            << "0:2 0:2 2:2" << 8 << QStringList{"C 0..3 1,2,3", "U 6..7"} << QList<int>{};
        QTest::newRow("rows touching without overlap, ending at the limit")
            << "4:2 0:2" << 8 << QStringList{} << QList<int>{};
        QTest::newRow("row ending exactly at the limit")
            << "28:2" << 32 << QStringList{"U 0..27"} << QList<int>{};
        QTest::newRow("row one byte past the limit")
            << "29:2" << 32 << QStringList{"B 32 1", "U 0..28"} << QList<int>{};
        QTest::newRow("row wholly past the limit")
            << "0:1 40:1" << 32 << QStringList{"B 40..41 2", "U 2..31"} << QList<int>{};
        QTest::newRow("non-integer, negative and zero cells skipped")
            << "abc:1 0:x -2:1 0:0 0x0A:1 10:1" << 12 << QStringList{"C 10..11 5,6", "U 0..9"}
            << QList<int>{1, 2, 3, 4};
        QTest::newRow("no rows: the whole length is free")
            << "" << 4 << QStringList{"U 0..3"} << QList<int>{};
        QTest::newRow("negative length counts as 0")
            << "0:1" << -5 << QStringList{"B 0..1 1"} << QList<int>{};
    }
    void findings()
    {
        QFETCH(QString, rows);
        QFETCH(int, length);
        QFETCH(QStringList, findings);
        QFETCH(QList<int>, skipped);

        const ByteMap map = ComputeByteMap(MappingSide::Out, outRows(rows), length);
        QCOMPARE(brief(map), findings);
        QCOMPARE(map.skipped, skipped);
    }

    void cellsAndTexts()
    {
        const ByteMap map = ComputeByteMap(MappingSide::In,
                                           {{"1", "Input Register", "0x10", "2", "0", ""},
                                            {"7", "Holding Register", "5", "1", "2", ""},
                                            {"2", "Holding Register", "9", "2", "6", ""}},
                                           8);
        QCOMPARE(cells(map), QStringLiteral("UUCC..UUBB"));
        QCOMPARE(RowsAtByte(map, 3), (QList<int>{1, 2}));
        QCOMPARE(RowsAtByte(map, 5), QList<int>{});
        QCOMPARE(SummaryLine(map), QStringLiteral("1 collision, 1 row beyond 8 bytes, 2 bytes free"));
        QVERIFY(map.hasProblems());
    }

    void pack_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("fits");

        // Packed in row order from 0; the row with a non-integer NPoint keeps its address.
        const QString layout = QStringLiteral("9:2 0:1 7:x abc:3");
        const QStringList packed{"0", "4", "7", "6"};
        QTest::newRow("room to spare") << layout << 20 << packed << 12 << true;
        QTest::newRow("exactly full") << layout << 12 << packed << 12 << true;
        QTest::newRow("no room") << layout << 11 << packed << 12 << false;
        QTest::newRow("empty table") << "" << 0 << QStringList{} << 0 << true;
        // Rows without points fill nothing: they keep their addresses and take no bytes.
        QTest::newRow("NPoint 0 stays") << "9:2 5:0 1:1" << 20 << QStringList{"0", "5", "4"} << 6 << true;
        QTest::newRow("negative NPoint stays")
            << "9:-3 1:1 2:-1" << 20 << QStringList{"9", "0", "2"} << 2 << true;
    }
    void pack()
    {
        QFETCH(QString, rows);
        QFETCH(int, length);
        QFETCH(QStringList, addresses);
        QFETCH(int, end);
        QFETCH(bool, fits);

        const QList<MappingRow> before = outRows(rows);
        const PackResult packed = PackRows(MappingSide::Out, before, length);
        QStringList got;
        for (int i = 0; i < packed.rows.size(); ++i) {
            got << packed.rows[i][3];
            MappingRow other = packed.rows[i];
            other[3] = before[i][3];
            QCOMPARE(other, before[i]);
        }
        QCOMPARE(got, addresses);
        QCOMPARE(packed.end, qint64(end));
        QCOMPARE(packed.fits, fits);
        QVERIFY(!ComputeByteMap(MappingSide::Out, packed.rows, packed.end).count(FindingKind::Collision));
    }

    // Limits come from pargen.xml as the editor reads them; 244 without it.
    void projectLimits_data()
    {
        QTest::addColumn<QByteArray>("pargen"); // empty: no pargen.xml
        QTest::addColumn<qint64>("in");
        QTest::addColumn<int>("beyondIn");

        QTest::newRow("no pargen.xml: 244") << QByteArray() << qint64(244) << 0;
        QTest::newRow("Profi_NB_IN 32")
            << QByteArray("<P><Profi_NB_IN>32</Profi_NB_IN></P>") << qint64(32) << 1;
    }
    void projectLimits()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(qint64, in);
        QFETCH(int, beyondIn);

        QTemporaryDir dir;
        const QString pargenPath = dir.filePath(QStringLiteral("pargen.xml"));
        const QString sdoPath = dir.filePath(QStringLiteral("sdo.xml"));
        if (!pargen.isEmpty())
            test::writeFile(pargenPath, pargen);
        test::writeFile(sdoPath,
                        "<S><ProfiBUS_IN><row Slave_ID=\"1\" Type=\"t\" Address_Mod=\"0\" NPoint=\"2\" "
                        "Address_Profi=\"30\" Mnemonic=\"\"/></ProfiBUS_IN><ProfiBUS_OUT/></S>");
        const Result<ProjectByteMaps> project = LoadProjectByteMaps(pargenPath, sdoPath);
        QVERIFY2(project.ok(), qPrintable(project.error()));
        QCOMPARE(project->maps.in.length, in);
        QCOMPARE(project->maps.out.length, qint64(244));
        QCOMPARE(project->maps.in.count(FindingKind::Beyond), beyondIn);

        test::writeFile(sdoPath, "<S>");
        QVERIFY(!LoadProjectByteMaps(pargenPath, sdoPath).ok());
    }
};

QTEST_GUILESS_MAIN(TestByteMap)
#include "tst_bytemap.moc"
