#include "mapping/MappingRules.h"

#include <QTest>

using namespace velmaro;

Q_DECLARE_METATYPE(velmaro::MappingTables)

namespace {

const MappingRow validIn = {"1", "Holding Register", "0", "1", "0", "m"};
const MappingRow validOut = {"1", "0", "1", "0", "m"};

const QString inText = QStringLiteral("!! [ProfiBus IN --> Serial Read] ");
const QString outText = QStringLiteral("!! [Serial Write --> ProfiBus OUT] ");

} // namespace

class TestMappingRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One cell of a table made of valid rows is set; the first failure's message, or empty.
    void messages_data()
    {
        QTest::addColumn<bool>("input");
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");

        const QString slaveIn = inText + "Slave ID must be between 1 and 250. ";
        const QString typeIn = inText + "Type must be Holding Register or Input Register. ";
        const QString regIn = inText + "Address Register must be between 0 and 65535. ";
        const QString pointIn = inText + "Number point must be between 1 and 127. ";
        const QString profiIn = inText + "Address Profibus must be between 0 and ";
        const QString slaveOut = outText + "Slave ID must be between 1 and 250. ";
        const QString regOut = outText + "Address Register must be between 0 and 65535. ";
        const QString pointOut = outText + "Number point must be between 1 and 127. ";
        const QString profiOut = outText + "Address Profibus High must be between 0 and ";

        QTest::newRow("in slave 300 row 3") << true << 3 << 3 << 0 << "300" << 244 << "Error row 3" + slaveIn;
        QTest::newRow("in slave 0") << true << 1 << 1 << 0 << "0" << 244 << "Error row 1" + slaveIn;
        QTest::newRow("in slave blank") << true << 1 << 1 << 0 << " " << 244 << "Error row 1" + slaveIn;
        QTest::newRow("in slave text") << true << 2 << 2 << 0 << "abc" << 244 << "Error row 2" + slaveIn;
        QTest::newRow("in slave 250 hex") << true << 1 << 1 << 0 << "0xFA" << 244 << "";
        QTest::newRow("in slave 251") << true << 1 << 1 << 0 << "251" << 244 << "Error row 1" + slaveIn;
        QTest::newRow("in type empty") << true << 4 << 4 << 1 << "" << 244 << "Error row 4" + typeIn;
        QTest::newRow("in type other text") << true << 1 << 1 << 1 << "Coil" << 244 << "";
        QTest::newRow("in register 65536") << true << 1 << 1 << 2 << "65536" << 244 << "Error row 1" + regIn;
        QTest::newRow("in register -1") << true << 1 << 1 << 2 << "-1" << 244 << "Error row 1" + regIn;
        QTest::newRow("in register $FFFF") << true << 1 << 1 << 2 << "$FFFF" << 244 << "";
        QTest::newRow("in register trailing blank")
            << true << 1 << 1 << 2 << "5 " << 244 << "Error row 1" + regIn;
        QTest::newRow("in npoint 0") << true << 1 << 1 << 3 << "0" << 244 << "Error row 1" + pointIn;
        QTest::newRow("in npoint 128") << true << 1 << 1 << 3 << "128" << 244 << "Error row 1" + pointIn;
        QTest::newRow("in npoint 127") << true << 1 << 1 << 3 << "127" << 244 << "";
        QTest::newRow("in profi 10 of 10") << true << 1 << 1 << 4 << "10" << 10 << "";
        QTest::newRow("in profi 11 of 10")
            << true << 1 << 1 << 4 << "11" << 10 << "Error row 1" + profiIn + "10. ";
        QTest::newRow("in profi 245 of 244")
            << true << 2 << 2 << 4 << "245" << 244 << "Error row 2" + profiIn + "244. ";
        QTest::newRow("in profi empty")
            << true << 1 << 1 << 4 << "" << 244 << "Error row 1" + profiIn + "244. ";
        QTest::newRow("in mnemonic never checked") << true << 1 << 1 << 5 << "" << 244 << "";
        QTest::newRow("in row 244") << true << 244 << 244 << 3 << "999" << 244 << "Error row 244" + pointIn;
        QTest::newRow("out slave 251") << false << 2 << 2 << 0 << "251" << 244 << "Error row 2" + slaveOut;
        QTest::newRow("out register 70000")
            << false << 1 << 1 << 1 << "70000" << 244 << "Error row 1" + regOut;
        QTest::newRow("out npoint x") << false << 1 << 1 << 2 << "x" << 244 << "Error row 1" + pointOut;
        QTest::newRow("out profi 30 of 20")
            << false << 1 << 1 << 3 << "30" << 20 << "Error row 1" + profiOut + "20. ";
        QTest::newRow("out profi 20 of 20") << false << 1 << 1 << 3 << "20" << 20 << "";
        QTest::newRow("out profi -1")
            << false << 1 << 1 << 3 << "-1" << 244 << "Error row 1" + profiOut + "244. ";
        QTest::newRow("out row 244") << false << 244 << 244 << 0 << "0" << 244 << "Error row 244" + slaveOut;
    }
    void messages()
    {
        QFETCH(bool, input);
        QFETCH(int, rowCount);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(int, limit);
        QFETCH(QString, expected);

        MappingTables t;
        t.in = QList<MappingRow>(input ? rowCount : 1, validIn);
        t.out = QList<MappingRow>(input ? 1 : rowCount, validOut);
        (input ? t.in : t.out)[row - 1][column] = value;
        const MappingLimits limits{input ? limit : 244, input ? 244 : limit};
        const Status s = ValidateMapping(RowsInUse(t), limits);
        QCOMPARE(s.error(), expected);
        QCOMPARE(s.ok(), expected.isEmpty());
    }

    // Which failure is reported when several cells are wrong.
    void firstFailureOnly_data()
    {
        QTest::addColumn<MappingTables>("tables");
        QTest::addColumn<QString>("expected");

        MappingTables columnOrder{{{"999", "", "-5", "0", "999", ""}}, {validOut}};
        QTest::newRow("slave before type in a row")
            << columnOrder << "Error row 1" + inText + "Slave ID must be between 1 and 250. ";
        MappingTables inputFirst{{validIn, {"1", "Holding Register", "0", "200", "0", ""}},
                                 {{"0", "0", "1", "0", ""}}};
        QTest::newRow("input table before output")
            << inputFirst << "Error row 2" + inText + "Number point must be between 1 and 127. ";
        MappingTables earlierRow{{validIn}, {{"1", "0", "0", "0", ""}, {"0", "0", "1", "0", ""}}};
        QTest::newRow("earlier row first")
            << earlierRow << "Error row 1" + outText + "Number point must be between 1 and 127. ";
        MappingTables afterGap{{validIn, {"", "", "", "", "", ""}, {"999", "", "", "", "", ""}}, {}};
        QTest::newRow("row after empty slave not checked") << afterGap << QString();
    }
    void firstFailureOnly()
    {
        QFETCH(MappingTables, tables);
        QFETCH(QString, expected);
        QCOMPARE(ValidateMapping(RowsInUse(tables), MappingLimits()).error(), expected);
    }

    void rowsInUseStopAtFirstEmptySlave()
    {
        MappingTables grid;
        grid.in = {validIn, {"", "Input Register", "1", "1", "1", "gap"}, validIn};
        grid.out = QList<MappingRow>(MappingRowCount, validOut);
        const MappingTables used = RowsInUse(grid);
        QCOMPARE(used.in, QList<MappingRow>{validIn});
        QCOMPARE(used.out.size(), MappingRowCount);
    }
};

QTEST_GUILESS_MAIN(TestMappingRules)
#include "tst_mappingrules.moc"
