// Times the bench: simulate of two full mapping tables (2 x 244 rows: the plan, the input data, the writes
// and the byte maps, as velmaro-cli simulate computes them; target under 5 ms), and one poll round of 244
// rows of one register each over a pseudo-terminal pair (socat) against the virtual slaves in the same
// process. The line time of that round at 115200 baud is 244 x 15 bytes x 11 bits = 349 ms; the target
// is within 1.5 times that.

#include "mapping/BenchRound.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingSimulation.h"
#include "mapping/ModbusSlaves.h"
#include "platform/ModbusLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

using namespace velmaro;

namespace {

MappingTables fullTables(int points)
{
    MappingTables tables;
    for (int i = 0; i < MappingRowCount; ++i) {
        const QString n = QString::number(points > 0 ? points : 1 + i % 4);
        const QString address = QString::number(points > 0 ? 2 * i % 244 : (i * 37) % 244);
        tables.in.append({QString::number(1 + i % 10),
                          i % 2 ? QStringLiteral("Input Register") : QStringLiteral("Holding Register"),
                          QString::number(i * 4), n, address, QStringLiteral("m")});
        tables.out.append(
            {QString::number(1 + i % 10), QString::number(1000 + i * 4), n, address, QString()});
    }
    return tables;
}

RegisterValues valuesFor(const RequestPlan& plan)
{
    RegisterValues values;
    for (const ReadRequest& read : plan.reads) {
        for (const RegisterKey& key : RequestRegisters(read))
            values.insert(key, quint16(key.address * 7));
    }
    return values;
}

void BM_SimulateFullTables(benchmark::State& state)
{
    const MappingTables tables = fullTables(0);
    const RegisterValues values = valuesFor(PlanRequests(tables));
    const QByteArray output(244, '\x5A');
    for (auto _ : state) {
        const RequestPlan plan = PlanRequests(tables);
        const ByteMaps maps = ComputeByteMaps(tables, MappingLimits{244, 244});
        const Simulation sim = Simulate(plan.reads, values, 244);
        const QList<WriteRequest> writes = OutputWrites(plan.writes, output);
        benchmark::DoNotOptimize(maps);
        benchmark::DoNotOptimize(sim);
        benchmark::DoNotOptimize(writes);
    }
}
BENCHMARK(BM_SimulateFullTables)->Unit(benchmark::kMillisecond);

void BM_PollRoundOverPseudoTerminal(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a"));
    const QString b = dir.filePath(QStringLiteral("b"));
    QProcess socat;
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("pty,raw,echo=0,link=") + a, QStringLiteral("pty,raw,echo=0,link=") + b});
    for (int i = 0; i < 100 && !QFileInfo::exists(b); ++i)
        QThread::msleep(20);
    if (!QFileInfo::exists(b)) {
        state.SkipWithError("socat is not installed");
        return;
    }
    MappingTables tables = fullTables(1);
    tables.out.clear();
    const RequestPlan plan = PlanRequests(tables);
    VirtualSlaves slaves = SlavesForPlan(plan, valuesFor(plan));
    RequestCutter cutter;
    SerialLineOptions options;
    options.device = a;
    std::unique_ptr<ISerialByteLine> line = CreateSerialByteLine();
    if (!line->open(options).isEmpty()) {
        state.SkipWithError("the pseudo-terminal cannot be opened");
        return;
    }
    line->received = [&](const QByteArray& bytes) {
        cutter.feed(bytes);
        while (const auto frame = cutter.next())
            line->write(slaves.respond(*frame).reply);
    };
    options.device = b;
    std::unique_ptr<IModbusMaster> master = CreateModbusMaster();
    if (!master->open(options).isEmpty()) {
        state.SkipWithError("the pseudo-terminal cannot be opened");
        return;
    }
    BenchRound round(*master, plan.reads, 244);
    bool all = true;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        QEventLoop loop;
        round.start({}, {}, [&](const QByteArray&, bool answered) {
            all = answered;
            loop.quit();
        });
        loop.exec();
    }
    // Request 8 bytes, reply 5 + 2 per register, 11 bits a byte.
    qint64 bytes = 0;
    for (const ReadRequest& read : plan.reads)
        bytes += 8 + 5 + 2 * read.count;
    const double roundMs = double(elapsed.nsecsElapsed()) / 1e6 / double(state.iterations());
    const double lineMs = double(bytes) * 11 * 1000 / options.baudRate;
    state.counters["round_ms"] = roundMs;
    state.counters["line_ms"] = lineMs;
    state.counters["ratio"] = roundMs / lineMs;
    if (!all)
        state.SkipWithError("a row did not answer");
    master->close();
    line->close();
    socat.terminate();
    socat.waitForFinished();
}
BENCHMARK(BM_PollRoundOverPseudoTerminal)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
