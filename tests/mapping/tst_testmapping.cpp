#include "mapping/ByteMapView.h"
#include "mapping/UTestMapping.h"
#include "support/MemorySerial.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace velmaro;

namespace {

// Answers every request after `delayMs` from the event loop with the outcome given for its slave.
struct ScriptedMaster : IModbusMaster
{
    QMap<int, ModbusOutcome> outcomes;
    int delayMs = 0;
    QStringList* log = nullptr;
    QString open(const SerialLineOptions&) override { return {}; }
    void close() override {}
    void read(int slave, int function, int first, int count,
              std::function<void(const ModbusOutcome&)> done) override
    {
        *log << QStringLiteral("read %1 f%2 %3+%4").arg(slave).arg(function).arg(first).arg(count);
        answer(slave, std::move(done));
    }
    void write(int slave, int first, const QVector<quint16>& values,
               std::function<void(const ModbusOutcome&)> done) override
    {
        *log << QStringLiteral("write %1 %2 = %3").arg(slave).arg(first).arg(RegisterValuesText(values));
        answer(slave, std::move(done));
    }
    void answer(int slave, std::function<void(const ModbusOutcome&)> done)
    {
        const ModbusOutcome outcome = outcomes.value(slave);
        QTimer::singleShot(delayMs, [outcome, done] { done(outcome); });
    }
};

ModbusOutcome ok(QVector<quint16> values)
{
    ModbusOutcome o;
    o.kind = ModbusOutcome::Ok;
    o.values = std::move(values);
    return o;
}

ModbusOutcome failing(ModbusOutcome::Kind kind, int code = 0)
{
    ModbusOutcome o;
    o.kind = kind;
    o.exceptionCode = code;
    return o;
}

} // namespace

Q_DECLARE_METATYPE(velmaro::ModbusOutcome)

// "Test Mapping" polls without blocking and shows each row's outcome and the input data.
class TestTestMapping : public QObject
{
    Q_OBJECT
private:
    test::WindowFixture m_f;
    test::MemorySerialPlatform m_serial; // only its device is ever opened
    AppContext m_context{m_f.r.paths, m_f.r.messages, m_f.r.dialogs,  m_f.r.modal,
                         m_f.r.shell, m_serial,       m_f.r.processes};
    const QString m_port = QStringLiteral("/dev/ttyMEM0");
    QStringList m_log;
    ScriptedMaster* m_live = nullptr; // the master the window opened last

    // Slave 1 holding 10..11 into bytes 0..3, slave 2 input 5 into bytes 2..3 (overwrites), OUT slave 1
    // register 100 from byte 1.
    std::unique_ptr<TFTestMapping> window(const QMap<int, ModbusOutcome>& outcomes, int delayMs)
    {
        test::UseProjectDir(m_f.r.paths, m_f.dir.path());
        auto w = std::make_unique<TFTestMapping>(m_context);
        w->masterFactory = [this, outcomes, delayMs] {
            auto master = std::make_unique<ScriptedMaster>();
            master->outcomes = outcomes;
            master->delayMs = delayMs;
            master->log = &m_log;
            m_live = master.get();
            return master;
        };
        MappingTables t;
        t.in << MappingRow{"1", "Holding Register", "10", "2", "0", ""}
             << MappingRow{"2", "Input Register", "5", "1", "2", ""};
        t.out << MappingRow{"1", "100", "1", "1", ""};
        w->SetTables(t, MappingLimits{6, 4});
        w->CB_Port->setEditText(m_port);
        m_log.clear();
        return w;
    }

private Q_SLOTS:
    void initTestCase() { m_serial.devices.insert(m_port); }
    void rounds_data()
    {
        QTest::addColumn<ModbusOutcome>("second"); // slave 2's answer
        QTest::addColumn<QString>("status");       // row 2's status
        QTest::addColumn<QString>("cells");        // the input data's cells
        QTest::newRow("answer overwrites the shared bytes") << ok({0x0A0B}) << "ok"
                                                            << "12 34 0A 0B 00 00";
        QTest::newRow("silent slave shows its time-out, bytes keep the earlier row's")
            << failing(ModbusOutcome::NoReply) << "no reply within 1000 ms"
            << "12 34 00 00 00 00";
        QTest::newRow("exception shows its name")
            << failing(ModbusOutcome::Exception, 2) << "exception 2 (illegal data address)"
            << "12 34 00 00 00 00";
    }
    void rounds()
    {
        QFETCH(ModbusOutcome, second);
        QFETCH(QString, status);
        QFETCH(QString, cells);
        auto w = window({{1, ok({0x1234, 0x5678})}, {2, second}}, 50);
        w->PollOnce();
        // The click returns before any answer: the window is never blocked.
        QCOMPARE(w->GridRows->item(0, 4)->text(), QString());
        QTRY_COMPARE(w->GridRows->item(1, 4)->text(), status);
        QCOMPARE(w->GridRows->item(0, 5)->text(), QStringLiteral("0x1234 0x5678"));
        QTRY_COMPARE(w->MapIn->cellTexts().join(QLatin1Char(' ')), cells);
        QCOMPARE(m_log, (QStringList{"read 1 f3 10+2", "read 2 f4 5+1"}));
    }

    // A read that fails after answering keeps its last answer, marked as such; a new line starts empty.
    void failedReadShowsItsLastAnswer()
    {
        auto w = window({{1, ok({0x1234, 0x5678})}, {2, ok({1})}}, 0);
        w->PollOnce();
        QTRY_COMPARE(w->GridRows->item(1, 4)->text(), QStringLiteral("ok"));
        m_live->outcomes[1] = failing(ModbusOutcome::NoReply);
        w->PollOnce();
        QTRY_COMPARE(w->GridRows->item(0, 4)->text(), QStringLiteral("no reply within 1000 ms"));
        QCOMPARE(w->GridRows->item(0, 5)->text(), QStringLiteral("last answer: 0x1234 0x5678"));
        w->Stop();
        w->CB_Port->setEditText(QStringLiteral("/dev/ttyGONE"));
        w->PollOnce();
        QCOMPARE(w->GridRows->item(0, 4)->text() + w->GridRows->item(0, 5)->text(), QString());
    }

    void writeSendsTheOutputData_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::newRow("Write") << false;
        QTest::newRow("Enter in the output data") << true;
    }
    void writeSendsTheOutputData()
    {
        QFETCH(bool, enter);
        auto w = window({{1, ok({1, 2})}, {2, ok({3})}}, 0);
        w->EOutput->setText(QStringLiteral("00 AB CD"));
        enter ? QTest::keyClick(w->EOutput, Qt::Key_Return) : w->Write();
        QTRY_COMPARE(w->GridRows->item(2, 4)->text(), QStringLiteral("ok"));
        QCOMPARE(m_log.last(), QStringLiteral("write 1 100 = 0xABCD"));
    }

    void pollEveryRepeatsUntilStopped_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Stop") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("the window closed") << 2;
        QTest::newRow("the port went away") << 3;
    }
    void pollEveryRepeatsUntilStopped()
    {
        QFETCH(int, how);
        m_log.clear();
        auto w = window({{1, ok({1, 2})}, {2, ok({3})}}, 0);
        w->show();
        w->SE_Interval->setValue(10);
        w->PollEvery();
        QTRY_VERIFY(m_log.size() >= 6);
        if (how == 0)
            w->Stop();
        else if (how == 1)
            QTest::keyClick(w.get(), Qt::Key_Escape);
        else if (how == 2)
            w->close();
        else
            m_live->outcomes[2] = failing(ModbusOutcome::Failed);
        QTRY_VERIFY(!w->SE_Interval->isVisible() || w->CB_Port->isEnabled()); // closed, or the port freed
        if (how == 3)
            QVERIFY(w->LStatus->text().startsWith(m_port + QStringLiteral(": ")));
        const int seen = int(m_log.size());
        QTest::qWait(60);
        QCOMPARE(m_log.size(), seen);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing port") << "/nonexistent/tty"
                                      << ""
                                      << "/nonexistent/tty has no device.";
        QTest::newRow("output data too long") << ""
                                              << "01 02 03 04 05"
                                              << "Output data: more than 4 bytes";
    }
    void refusals()
    {
        QFETCH(QString, port);
        QFETCH(QString, output);
        QFETCH(QString, status);
        auto w = window({}, 0);
        if (!port.isEmpty())
            w->CB_Port->setEditText(port);
        w->EOutput->setText(output);
        output.isEmpty() ? w->PollOnce() : w->Write();
        QVERIFY2(w->LStatus->text().startsWith(status), qPrintable(w->LStatus->text()));
        QVERIFY(m_log.isEmpty());
    }
};

QTEST_MAIN(TestTestMapping)
#include "tst_testmapping.moc"
