#include "mapping/BenchRound.h"

#include "mapping/ModbusSlaves.h"

namespace velmaro {

QString DescribeOutcome(const ModbusOutcome& outcome, int timeoutMs)
{
    switch (outcome.kind) {
    case ModbusOutcome::Ok:
        return outcome.values.isEmpty() ? QStringLiteral("ok")
                                        : QStringLiteral("ok ") + RegisterValuesText(outcome.values);
    case ModbusOutcome::NoReply: return QStringLiteral("no reply within %1 ms").arg(timeoutMs);
    case ModbusOutcome::Exception:
        return QStringLiteral("exception %1 (%2)")
            .arg(outcome.exceptionCode)
            .arg(ModbusExceptionName(outcome.exceptionCode));
    case ModbusOutcome::Damaged: return QStringLiteral("damaged reply (%1)").arg(outcome.text);
    case ModbusOutcome::Failed: break;
    }
    return QStringLiteral("failed (%1)").arg(outcome.text);
}

BenchRound::BenchRound(IModbusMaster& master, QList<ReadRequest> reads, qint64 inLength)
    : m_master(master), m_reads(std::move(reads)), m_inLength(inLength),
      m_generation(std::make_shared<int>(0))
{
    for (const ReadRequest& read : m_reads)
        m_values.append(QVector<quint16>(read.count));
    m_image = InputImage(m_reads, m_values, m_inLength);
}

BenchRound::~BenchRound()
{
    stop();
}

void BenchRound::start(QList<WriteRequest> writes, RowDone rowDone, Finished finished)
{
    if (m_running)
        return;
    m_writes = std::move(writes);
    m_rowDone = std::move(rowDone);
    m_finished = std::move(finished);
    m_next = 0;
    m_allAnswered = true;
    m_running = true;
    step();
}

void BenchRound::stop()
{
    m_running = false;
    ++*m_generation;
}

void BenchRound::step()
{
    if (!m_running)
        return;
    const int total = int(m_reads.size() + m_writes.size());
    if (m_next >= total) {
        m_running = false;
        m_image = InputImage(m_reads, m_values, m_inLength);
        if (m_finished)
            m_finished(m_image, m_allAnswered);
        return;
    }
    const int index = m_next++;
    const bool write = index >= m_reads.size();
    const int at = write ? index - int(m_reads.size()) : index;
    std::weak_ptr<int> generation = m_generation;
    const int current = *m_generation;
    auto done = [this, generation, current, write, at](const ModbusOutcome& outcome) {
        const auto alive = generation.lock();
        if (!alive || *alive != current)
            return; // the round was stopped or this object is gone
        ModbusOutcome shown = outcome;
        if (write)
            shown.values.clear(); // a write answers with address and count, not values
        if (!write && outcome.kind == ModbusOutcome::Ok && outcome.values.size() != m_reads.at(at).count) {
            shown.kind = ModbusOutcome::Damaged;
            shown.text = QStringLiteral("%1 registers instead of %2")
                             .arg(outcome.values.size())
                             .arg(m_reads.at(at).count);
        }
        if (shown.kind == ModbusOutcome::Ok && !write)
            m_values[at] = shown.values;
        if (shown.kind != ModbusOutcome::Ok)
            m_allAnswered = false;
        if (m_rowDone)
            m_rowDone(write, at, shown);
        if (*alive == current)
            step();
    };
    if (write) {
        const WriteRequest& w = m_writes.at(at);
        m_master.write(w.slave, w.first, w.values, done);
    } else {
        const ReadRequest& r = m_reads.at(at);
        m_master.read(r.slave, ReadFunction(r.kind), r.first, r.count, done);
    }
}

} // namespace velmaro
