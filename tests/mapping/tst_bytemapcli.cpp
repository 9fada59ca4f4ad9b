#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using velmaro::test::runVerb;
using velmaro::test::VerbRun;

namespace {

// Input rows "ADDRESS:POINTS ..." in sdo.xml (slave = row number, register 0x10 + row number).
QByteArray sdoWithInputs(const QByteArray& layout)
{
    QByteArray rows;
    int n = 0;
    for (const QByteArray& item : layout.split(' ')) {
        const QList<QByteArray> parts = item.split(':');
        ++n;
        rows += "<row Slave_ID=\"" + QByteArray::number(n) + "\" Type=\"Input Register\" Address_Mod=\"0x1"
                + QByteArray::number(n) + "\" NPoint=\"" + parts.at(1) + "\" Address_Profi=\"" + parts.at(0)
                + "\" Mnemonic=\"\"/>";
    }
    return "<Serial_to_ProfiBus><ProfiBUS_IN>" + rows
           + "</ProfiBUS_IN><ProfiBUS_OUT><row Slave_ID=\"9\" Address_Mod=\"a,b\" NPoint=\"1\" "
             "Address_Profi=\"0\" Mnemonic=\"\"/></ProfiBUS_OUT></Serial_to_ProfiBus>";
}

} // namespace

// `velmaro-cli map` prints the byte maps; `check` warns of their findings and `check --strict` refuses them.
class TestByteMapCli : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    void project(const QByteArray& inputs, bool valid = false)
    {
        QFile defaults(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"));
        QVERIFY(defaults.open(QIODevice::ReadOnly));
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("pargen.xml")),
                                 defaults.readAll().replace("<Profi_NB_IN>244<", "<Profi_NB_IN>16<"));
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("sdo.xml")),
                                 valid ? sdoWithInputs(inputs).replace("a,b", "0") : sdoWithInputs(inputs));
    }

private Q_SLOTS:
    void map_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("folder"); // false: the project folder does not exist
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");

        QTest::newRow("text: rows, findings, summary")
            << QStringList() << true << 0
            << QStringLiteral(
                   "IN row 1: slave 1, register 0x11, points 2, bytes 0..3\n"
                   "IN row 2: slave 2, register 0x12, points 2, bytes 2..5\n"
                   "IN row 3: slave 3, register 0x13, points 4, bytes 12..19\n"
                   "OUT row 1: slave 9, register a,b, points 1, bytes 0..1\n"
                   "warning: ProfiBus IN --> Serial Read: collision on bytes 2..3: row 1 (slave 1, register "
                   "0x11), row 2 (slave 2, register 0x12)\n"
                   "warning: ProfiBus IN --> Serial Read: row 3 (slave 3, register 0x13) covers bytes "
                   "12..19, "
                   "past the data length of 16 bytes (bytes 16..19)\n"
                   "note: ProfiBus IN --> Serial Read: bytes 6..11 are filled by no row\n"
                   "note: Serial Write --> ProfiBus OUT: bytes 2..243 are filled by no row\n"
                   "IN: 1 collision, 1 row beyond 16 bytes, 6 bytes free; OUT: 0 collisions, 0 rows beyond "
                   "244 "
                   "bytes, 242 bytes free\n");
        QTest::newRow("csv: one line per row, register quoted")
            << QStringList{"--csv"} << true << 0
            << QStringLiteral("table,row,slave,register,points,first_byte,last_byte\n"
                              "IN,1,1,0x11,2,0,3\nIN,2,2,0x12,2,2,5\nIN,3,3,0x13,4,12,19\n"
                              "OUT,1,9,\"a,b\",1,0,1\n");
        QTest::newRow("missing folder") << QStringList() << false << 1 << QString();
    }
    void map()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, folder);
        QFETCH(int, code);
        QFETCH(QString, out);

        project("0:2 2:2 12:4");
        const QString dir = folder ? m_dir.path() : m_dir.filePath(QStringLiteral("missing"));
        const VerbRun run = runVerb(QStringLiteral("map"), QStringList{dir} + options);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, out);
    }

    void checkWarnsAndStrictRefuses_data()
    {
        QTest::addColumn<QByteArray>("inputs");
        QTest::addColumn<int>("strictCode");
        QTest::addColumn<int>("warnings");

        QTest::newRow("touching rows, last one ending at the limit") << QByteArray("0:2 4:6") << 0 << 0;
        QTest::newRow("collision") << QByteArray("0:2 2:2") << 1 << 1;
        QTest::newRow("one byte past the limit") << QByteArray("0:2 7:5") << 1 << 1;
    }
    void checkWarnsAndStrictRefuses()
    {
        QFETCH(QByteArray, inputs);
        QFETCH(int, strictCode);
        QFETCH(int, warnings);

        project(inputs, true);
        const VerbRun plain = runVerb(QStringLiteral("check"), {m_dir.path()});
        QCOMPARE(plain.code, 0);
        QCOMPARE(int(plain.err.count(QStringLiteral("warning: "))), warnings);
        const VerbRun strict = runVerb(QStringLiteral("check"), {QStringLiteral("--strict"), m_dir.path()});
        QCOMPARE(strict.code, strictCode);
        QCOMPARE(strict.out, plain.out);
    }
};

QTEST_GUILESS_MAIN(TestByteMapCli)
#include "tst_bytemapcli.moc"
