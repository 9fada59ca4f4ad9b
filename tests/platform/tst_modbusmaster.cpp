#include "platform/ModbusLine.h"
#include "platform/SerialPlatform.h"
#include "support/PseudoTerminal.h"

#include <QElapsedTimer>
#include <QTest>

#include <unistd.h>

using namespace velmaro;

namespace {

// A frame from its hex text with the Modbus CRC appended, low byte first.
QByteArray frame(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return bytes + char(crc & 0xFF) + char(crc >> 8);
}

} // namespace

// The Modbus master on a pseudo-terminal whose other side is the test.
class TestModbusMaster : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<QByteArray>("before"); // on the line before the request
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("registers") << QByteArray() << frame("0103021234") << int(ModbusOutcome::Ok) << 0;
        QTest::newRow("a late reply waiting on the line answers nothing")
            << frame("0103020001") << frame("0103021234") << int(ModbusOutcome::Ok) << 0;
        QTest::newRow("exception") << QByteArray() << frame("018303") << int(ModbusOutcome::Exception) << 3;
        QTest::newRow("exception code outside the standard ones")
            << QByteArray() << frame("018320") << int(ModbusOutcome::Exception) << 0x20;
        QTest::newRow("another slave's late frame, then the reply")
            << QByteArray() << frame("0203020001") + frame("0103021234") << int(ModbusOutcome::Ok) << 0;
        QTest::newRow("a late answer to another function, then the reply")
            << QByteArray() << frame("0104020001") + frame("0103021234") << int(ModbusOutcome::Ok) << 0;
        QTest::newRow("bytes after the reply")
            << QByteArray() << frame("0103021234") + QByteArray::fromHex("55AA01")
            << int(ModbusOutcome::Damaged) << 0;
        QTest::newRow("more registers than asked")
            << QByteArray() << frame("01030412340001") << int(ModbusOutcome::Damaged) << 0;
        QTest::newRow("truncated") << QByteArray() << frame("0103021234").left(4)
                                   << int(ModbusOutcome::Damaged) << 0;
        // No reply: the other side of the line goes away.
        QTest::newRow("the port closed") << QByteArray() << QByteArray() << int(ModbusOutcome::Failed) << 0;
    }
    void replies()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, reply);
        test::PseudoTerminal line;
        if (line.slavePath.isEmpty())
            QSKIP("no pseudo-terminal");
        std::unique_ptr<IModbusMaster> master = openMaster(line, 2000);
        if (!before.isEmpty())
            line.send(before);
        QList<ModbusOutcome> outcomes;
        master->read(1, 3, 0x10, 1, [&](const ModbusOutcome& o) { outcomes << o; });
        QByteArray request;
        QTRY_VERIFY(readSome(line.master, request) && request.size() >= 8);
        QCOMPARE(request, frame("010300100001"));
        if (reply.isEmpty()) {
            ::close(line.master);
            line.master = -1;
        } else {
            line.send(reply);
        }
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 4000);
        QFETCH(int, kind);
        QFETCH(int, code);
        QCOMPARE(int(outcomes.at(0).kind), kind);
        QCOMPARE(outcomes.at(0).exceptionCode, code);
        if (kind == ModbusOutcome::Ok)
            QCOMPARE(outcomes.at(0).values, QVector<quint16>{0x1234});
        if (kind == ModbusOutcome::Damaged)
            QVERIFY(!outcomes.at(0).text.isEmpty());
        if (kind == ModbusOutcome::Failed)
            QVERIFY(outcomes.at(0).text.startsWith(QStringLiteral("the port was closed or removed")));
    }

    void endWithRequestInFlight_data()
    {
        QTest::addColumn<bool>("destroy"); // the master's end instead of close()
        QTest::addColumn<int>("waitMs");   // between the request and the end
        QTest::newRow("close while waiting for the reply") << false << 200;
        QTest::newRow("close before the request is sent") << false << 0;
        QTest::newRow("destroyed while waiting for the reply") << true << 200;
    }
    // Stop in the test window: the end neither waits out the time-out nor runs the callback, and the
    // port is free again at once.
    void endWithRequestInFlight()
    {
        QFETCH(bool, destroy);
        QFETCH(int, waitMs);
        test::PseudoTerminal line;
        if (line.slavePath.isEmpty())
            QSKIP("no pseudo-terminal");
        std::unique_ptr<IModbusMaster> master = openMaster(line, 5000);
        int calls = 0;
        master->read(1, 3, 0, 1, [&](const ModbusOutcome&) { ++calls; });
        QTest::qWait(waitMs);
        QElapsedTimer ended;
        ended.start();
        if (destroy)
            master.reset();
        else
            master->close();
        QCOMPARE_LT(ended.elapsed(), 1000);
        QTest::qWait(300);
        QCOMPARE(calls, 0);
        QCOMPARE(ProbeSerialPort(SystemSerialPlatform(), line.slavePath).failure, QString());
    }

    void requestOnClosedMasterFailsFromEventLoop()
    {
        std::unique_ptr<IModbusMaster> master = CreateModbusMaster();
        QList<ModbusOutcome::Kind> kinds;
        master->read(1, 3, 0, 1, [&](const ModbusOutcome& o) { kinds << o.kind; });
        QVERIFY(kinds.isEmpty());
        QTRY_COMPARE(kinds, QList<ModbusOutcome::Kind>{ModbusOutcome::Failed});
    }

private:
    static std::unique_ptr<IModbusMaster> openMaster(const test::PseudoTerminal& line, int timeoutMs)
    {
        std::unique_ptr<IModbusMaster> master = CreateModbusMaster();
        SerialLineOptions options;
        options.device = line.slavePath;
        options.timeoutMs = timeoutMs;
        if (!master->open(options).isEmpty())
            qFatal("cannot open %s", qPrintable(line.slavePath));
        return master;
    }
    // Appends what the master sent so far; true when something came.
    static bool readSome(int fd, QByteArray& into)
    {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            into.append(buffer, int(n));
        return !into.isEmpty();
    }
};

QTEST_GUILESS_MAIN(TestModbusMaster)
#include "tst_modbusmaster.moc"
