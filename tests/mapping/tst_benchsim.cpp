#include "mapping/LineMonitor.h"
#include "mapping/MappingSimulation.h"
#include "mapping/ModbusSlaves.h"

#include <QTest>

using namespace velmaro;

Q_DECLARE_METATYPE(velmaro::MappingTables)

namespace {

// IN rows "slave type register points byte" separated by ';' (type h or i).
MappingTables inRows(const QString& text)
{
    MappingTables t;
    for (const QString& row : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString type = f.at(1) == QLatin1String("h")   ? QStringLiteral("Holding Register")
                             : f.at(1) == QLatin1String("i") ? QStringLiteral("Input Register")
                                                             : f.at(1);
        t.in << MappingRow{f.at(0), type, f.at(2), f.at(3), f.at(4), QString()};
    }
    return t;
}

} // namespace

// The offline exchange against hand-computed input data, and the virtual slaves' answers.
class TestBenchSimulation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void inputData_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("values");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("missing");

        QTest::newRow("register N lands at byte 2N from the row's byte, high byte first")
            << "1 h 100 3 1"
            << "1,holding,100,0x0102\n1,holding,101,0x0304\n1,holding,102,0x0506" << 8
            << "00 01 02 03 04 05 06 00"
            << "";
        QTest::newRow("Type picks the register kind: input values do not feed a holding row")
            << "1 h 5 1 0;1 i 5 1 2"
            << "1,input,5,0xAAAA\n1,holding,5,0xBBBB" << 4 << "BB BB AA AA"
            << "";
        QTest::newRow("slave picks the registers") << "2 i 0 1 0"
                                                   << "1,input,0,1\n2,input,0,0x0200" << 2 << "02 00"
                                                   << "";
        QTest::newRow("a header after a comment is skipped")
            << "1 i 0 1 0"
            << "# bench\nSlave, Type, Register, Value\n1,input,0,0x0A0B" << 2 << "0A 0B"
            << "";
        QTest::newRow("later row overwrites the bytes it shares")
            << "1 h 0 2 0;2 h 0 1 2"
            << "1,holding,0,0x1111\n1,holding,1,0x2222\n2,holding,0,0x3333" << 4 << "11 11 33 33"
            << "";
        QTest::newRow("register without a value is 0 and named once")
            << "1 h 7 2 0;1 h 8 1 4"
            << "1,holding,7,0xFFFF" << 6 << "FF FF 00 00 00 00"
            << "slave 1 holding register 8";
        QTest::newRow("bytes past the data length are dropped")
            << "1 h 0 2 3"
            << "1,holding,0,0x0102\n1,holding,1,0x0304" << 4 << "00 00 00 01"
            << "";
        QTest::newRow("hex register address in the table") << "1 h 0x10 1 0"
                                                           << "1,holding,16,0xBEEF" << 2 << "BE EF"
                                                           << "";
    }
    void inputData()
    {
        QFETCH(QString, rows);
        QFETCH(QString, values);
        QFETCH(int, length);
        const RequestPlan plan = PlanRequests(inRows(rows));
        QVERIFY(plan.problems.isEmpty());
        const Result<RegisterValues> registers = ParseRegisterValues(values);
        QVERIFY2(registers.ok(), qPrintable(registers.error()));
        const Simulation sim = Simulate(plan.reads, *registers, length);
        QFETCH(QString, image);
        QCOMPARE(HexLine(sim.image), image);
        QStringList names;
        for (const RegisterKey& key : sim.missing)
            names << DescribeRegister(key);
        QFETCH(QString, missing);
        QCOMPARE(names.join(QLatin1Char(';')), missing);
    }

    void rowsLeftOut_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown type") << "1 Coil 0 1 0"
                                      << "Type \"Coil\" is neither Holding Register nor Input Register";
        QTest::newRow("registers past 65535") << "1 h 65535 2 0"
                                              << "registers 65535..65536 run past 65535";
        QTest::newRow("more than one read carries")
            << "1 h 0 126 0"
            << "126 registers do not fit in one request (at most 125)";
        QTest::newRow("slave out of range") << "251 h 0 1 0"
                                            << "Slave ID is not a number from 1 to 250";
    }
    void rowsLeftOut()
    {
        QFETCH(QString, rows);
        const RequestPlan plan = PlanRequests(inRows(rows));
        QVERIFY(plan.reads.isEmpty());
        QCOMPARE(plan.problems.size(), 1);
        QFETCH(QString, reason);
        QCOMPARE(plan.problems.first().reason, reason);
    }

    void outputWrites()
    {
        MappingTables t;
        t.out << MappingRow{"3", "40", "2", "1", ""} << MappingRow{"4", "0", "1", "5", ""};
        const QList<WriteRequest> writes =
            OutputWrites(PlanRequests(t).writes, QByteArray::fromHex("0011223344"));
        QCOMPARE(writes.size(), 2);
        QCOMPARE(RegisterValuesText(writes.at(0).values), QStringLiteral("0x1122 0x3344"));
        QCOMPARE(RegisterValuesText(writes.at(1).values), QStringLiteral("0x0000")); // past the data: 00
    }

    void valuesFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown type") << "# c\n1,coil,0,1"
                                      << "line 2: type \"coil\" is neither holding nor input";
        QTest::newRow("value too big") << "slave,type,register,value\n1,input,0,65536"
                                       << "line 2: value \"65536\" is not a number from 0 to 65535";
        QTest::newRow("missing field") << "1,input,0"
                                       << "line 1: expected slave,type,register,value, found 3 field(s)";
        QTest::newRow("negative register") << "1,input,-1,0"
                                           << "line 1: register \"-1\" is not a number from 0 to 65535";
        QTest::newRow("second line not a number is no header")
            << "1,input,0,0\nx,input,0,0"
            << "line 2: slave \"x\" is not a number from 1 to 250";
        QTest::newRow("first line with a bad slave is no header")
            << "x,holding,100,5\n1,holding,100,5"
            << "line 1: slave \"x\" is not a number from 1 to 250";
        QTest::newRow("first line cut by semicolons is no header")
            << "# c\n1;holding;100;5"
            << "line 2: expected slave,type,register,value, found 1 field(s)";
        QTest::newRow("first line of words with a type word is no header")
            << "slave,Input,register,value"
            << "line 1: slave \"slave\" is not a number from 1 to 250";
    }
    void valuesFile()
    {
        QFETCH(QString, text);
        const Result<RegisterValues> r = ParseRegisterValues(text);
        QVERIFY(!r.ok());
        QFETCH(QString, error);
        QCOMPARE(r.error(), error);
    }

    void hexBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("result"); // hex line, or "!" + error
        QTest::newRow("blanks optional") << "01 0aFF" << 4 << "01 0A FF";
        QTest::newRow("odd digit") << "01 2 03" << 4 << "!byte 2 has one hex digit only";
        QTest::newRow("too long") << "010203" << 2 << "!more than 2 bytes (the data length)";
        QTest::newRow("not hex") << "0g" << 4 << "!\"g\" at position 2 is not a hex digit";
    }
    void hexBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(QString, result);
        const Result<QByteArray> r = ParseHexBytes(text, max);
        QCOMPARE(r.ok() ? HexLine(*r) : QString(QLatin1Char('!') + r.error()), result);
    }

    void slaves_data()
    {
        QTest::addColumn<QByteArray>("request"); // without CRC
        QTest::addColumn<QByteArray>("reply");   // without CRC, empty: silent
        QTest::newRow("read holding")
            << QByteArray::fromHex("0103000a0002") << QByteArray::fromHex("0103041234abcd");
        QTest::newRow("read input") << QByteArray::fromHex("010400140001")
                                    << QByteArray::fromHex("0104020007");
        QTest::newRow("input is not holding")
            << QByteArray::fromHex("010300140001") << QByteArray::fromHex("018302");
        QTest::newRow("one register past the known")
            << QByteArray::fromHex("0103000a0003") << QByteArray::fromHex("018302");
        QTest::newRow("other slave is silent") << QByteArray::fromHex("0903000a0001") << QByteArray();
        QTest::newRow("write outside the OUT rows")
            << QByteArray::fromHex("0106000a0001") << QByteArray::fromHex("018602");
        QTest::newRow("write 16 answers address and count")
            << QByteArray::fromHex("0110006400020400010002") << QByteArray::fromHex("011000640002");
        QTest::newRow("unknown function")
            << QByteArray::fromHex("0101000a0001") << QByteArray::fromHex("018101");
        QTest::newRow("count zero") << QByteArray::fromHex("0103000a0000") << QByteArray::fromHex("018303");
    }
    void slaves()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        MappingTables t = inRows(QStringLiteral("1 h 10 2 0;1 i 20 1 4"));
        t.out << MappingRow{"1", "100", "2", "0", ""};
        const Result<RegisterValues> values =
            ParseRegisterValues(QStringLiteral("1,holding,10,0x1234\n1,holding,11,0xabcd\n1,input,20,7"));
        VirtualSlaves slaves = SlavesForPlan(PlanRequests(t), *values);
        const VirtualSlaves::Answer answer = slaves.respond(WithModbusCrc(request));
        QCOMPARE(answer.reply.toHex(), reply.isEmpty() ? QByteArray() : WithModbusCrc(reply).toHex());
    }

    void writtenValuesReadBack()
    {
        MappingTables t;
        t.out << MappingRow{"5", "7", "1", "0", ""};
        VirtualSlaves slaves = SlavesForPlan(PlanRequests(t), {});
        slaves.respond(WithModbusCrc(QByteArray::fromHex("05060007BEEF")));
        QCOMPARE(slaves.respond(WithModbusCrc(QByteArray::fromHex("050300070001"))).reply,
                 WithModbusCrc(QByteArray::fromHex("050302BEEF")));
    }

    void crcKnownFrame()
    {
        // A read of one holding register from slave 1 as every Modbus reference prints it.
        QCOMPARE(WithModbusCrc(QByteArray::fromHex("010300000001")).toHex(), QByteArray("010300000001840a"));
    }

    void receiveCutter_data()
    {
        QTest::addColumn<bool>("byTimeout");
        QTest::addColumn<QByteArray>("chunks"); // hex chunks separated by '|', each followed by a silence
        QTest::addColumn<QString>("frames");    // frames separated by '|'
        QTest::newRow("end character closes the frame, kept in it")
            << false << QByteArray("4142 13 4344|13") << "41 42 13|43 44 13";
        QTest::newRow("silence does not end a frame when cutting by end character")
            << false << QByteArray("41|42 13") << "41 42 13";
        QTest::newRow("silence cuts, the end character is a plain byte")
            << true << QByteArray("41 13 42|43") << "41 13 42|43";
    }
    void receiveCutter()
    {
        QFETCH(bool, byTimeout);
        QFETCH(QByteArray, chunks);
        QFETCH(QString, frames);
        ReceiveCutter cutter(byTimeout, 0x13);
        QStringList got;
        for (const QByteArray& chunk : chunks.split('|')) {
            for (const QByteArray& frame : cutter.feed(QByteArray::fromHex(chunk)))
                got << HexLine(frame);
            if (const auto frame = cutter.silence())
                got << HexLine(*frame);
        }
        QCOMPARE(got.join(QLatin1Char('|')), frames);
    }

    void cutterResynchronises()
    {
        RequestCutter cutter;
        const QByteArray good = WithModbusCrc(QByteArray::fromHex("0103000a0002"));
        cutter.feed(QByteArray::fromHex("ff03") + good.left(3));
        QVERIFY(!cutter.next());
        cutter.feed(good.mid(3) + WithModbusCrc(QByteArray::fromHex("0110006400010200ff")));
        QCOMPARE(cutter.next().value_or(QByteArray()), good);
        QCOMPARE(cutter.takeDropped(), 2);
        QCOMPARE(cutter.next().value_or(QByteArray()).size(), 11);
        cutter.feed(QByteArray::fromHex("0102"));
        QVERIFY(!cutter.silence());
        QCOMPARE(cutter.takeDropped(), 2);
    }
};

QTEST_GUILESS_MAIN(TestBenchSimulation)
#include "tst_benchsim.moc"
