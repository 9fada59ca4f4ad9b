#pragma once

// One round of the bench master: every read of a plan, then every write, one request at a time on a
// Modbus master, without blocking (each step runs from the event loop). The input data keeps, for a
// row that did not answer, the values of its last good answer (0 before the first).

#include "mapping/MappingSimulation.h"
#include "platform/ModbusLine.h"

#include <functional>
#include <memory>

namespace velmaro {

// "ok 0x1234 0xABCD", "no reply within 1000 ms", "exception 2 (illegal data address)",
// "damaged reply (...)", "failed (...)".
QString DescribeOutcome(const ModbusOutcome& outcome, int timeoutMs);

class BenchRound
{
public:
    using RowDone = std::function<void(bool write, int index, const ModbusOutcome& outcome)>;
    using Finished = std::function<void(const QByteArray& image, bool allAnswered)>;

    BenchRound(IModbusMaster& master, QList<ReadRequest> reads, qint64 inLength);
    ~BenchRound();

    // Starts a round: the reads, then `writes` (with values). Ignored while a round runs.
    void start(QList<WriteRequest> writes, RowDone rowDone, Finished finished);
    // No request after the one on the line; `finished` is not called.
    void stop();
    bool running() const { return m_running; }
    const QByteArray& image() const { return m_image; }

private:
    void step();

    IModbusMaster& m_master;
    QList<ReadRequest> m_reads;
    QList<QVector<quint16>> m_values;
    QList<WriteRequest> m_writes;
    QByteArray m_image;
    qint64 m_inLength;
    int m_next = 0;
    bool m_running = false;
    bool m_allAnswered = true;
    RowDone m_rowDone;
    Finished m_finished;
    std::shared_ptr<int> m_generation; // a reply of a stopped round finds its generation changed
};

} // namespace velmaro
