// The bench verbs on a serial line: poll (the PC as the gateway's master) and serve (virtual slaves).
#include "cli/CliBench.h"
#include "device/UpdaterCommand.h"
#include "mapping/BenchRound.h"
#include "mapping/ModbusSlaves.h"
#include "platform/ModbusLine.h"

#include <QEventLoop>
#include <QTimer>

namespace velmaro::cli {

namespace {

// The frame gap of Modbus RTU: 3.5 characters of 11 bits, at least 1.75 ms above 19200 baud; a
// pseudo-terminal delivers in bursts, so never less than 2 ms.
int frameGapMs(int baudRate)
{
    const double ms = baudRate > 19200 ? 1.75 : 3.5 * 11 * 1000.0 / baudRate;
    return std::max(2, int(ms + 0.999));
}

int runPoll(const VerbArgs& args, Io& io)
{
    const std::optional<BenchProject> project = LoadBenchProject(args, io, true);
    if (!project)
        return Refused;
    std::optional<QByteArray> output;
    if (args.isSet(QStringLiteral("write"))) {
        output = ReadHexOption(QStringLiteral("write"), args.value(QStringLiteral("write")),
                               project->line.outLength, io);
        if (!output)
            return Refused;
    }
    const QString port = args.value(QStringLiteral("port"));
    const std::optional<QString> device = CheckBenchPort(port, io);
    if (!device)
        return Refused;
    std::unique_ptr<IModbusMaster> master = CreateModbusMaster();
    const QString openError = master->open(BenchLineOptions(project->line, *device));
    if (!openError.isEmpty()) {
        io.err << PortCannotOpenText << "\n" << port << " (" << *device << "): " << openError << "\n";
        return Refused;
    }
    const bool raw = args.isSet(QStringLiteral("raw"));
    const QList<ReadRequest>& reads = project->plan.reads;
    const QList<WriteRequest> writes =
        output ? OutputWrites(project->plan.writes, *output) : QList<WriteRequest>();
    const int timeoutMs = project->line.timeoutMs;
    BenchRound round(*master, reads, project->line.inLength);
    QEventLoop loop;
    bool allAnswered = false;
    round.start(
        writes,
        [&](bool write, int index, const ModbusOutcome& outcome) {
            const QString head =
                write ? WriteRowLine(writes.at(index)) + QStringLiteral(": ") : ReadRowHead(reads.at(index));
            const QString line = head + DescribeOutcome(outcome, timeoutMs);
            if (!raw)
                io.out << line << "\n";
            else if (outcome.kind != ModbusOutcome::Ok)
                io.err << line << "\n";
        },
        [&](const QByteArray&, bool all) {
            allAnswered = all;
            loop.quit();
        });
    if (round.running())
        loop.exec();
    master->close();
    PrintInputData(round.image(), raw, io);
    return allAnswered && project->plan.problems.isEmpty() ? Success : Refused;
}

int runServe(const VerbArgs& args, Io& io)
{
    const std::optional<BenchProject> project = LoadBenchProject(args, io, true);
    if (!project)
        return Refused;
    const std::optional<RegisterValues> registers = ReadValuesFile(args.value(QStringLiteral("values")), io);
    if (!registers)
        return Refused;
    const QString port = args.value(QStringLiteral("port"));
    const std::optional<QString> device = CheckBenchPort(port, io);
    if (!device)
        return Refused;
    std::unique_ptr<ISerialByteLine> line = CreateSerialByteLine();
    const QString openError = line->open(BenchLineOptions(project->line, *device));
    if (!openError.isEmpty()) {
        io.err << PortCannotOpenText << "\n" << port << " (" << *device << "): " << openError << "\n";
        return Refused;
    }
    VirtualSlaves slaves = SlavesForPlan(project->plan, *registers);
    RequestCutter cutter;
    QEventLoop loop;
    QTimer gap;
    gap.setSingleShot(true);
    gap.setInterval(frameGapMs(project->line.baudRate));
    const auto answer = [&](const QByteArray& frame) {
        const VirtualSlaves::Answer a = slaves.respond(frame);
        if (!a.reply.isEmpty())
            line->write(a.reply);
        io.out << a.line << "\n";
        io.out.flush();
    };
    const auto reportDropped = [&] {
        if (const int dropped = cutter.takeDropped()) {
            io.out << "dropped " << dropped << " byte(s) that are no request\n";
            io.out.flush();
        }
    };
    line->received = [&](const QByteArray& bytes) {
        cutter.feed(bytes);
        while (const std::optional<QByteArray> frame = cutter.next())
            answer(*frame);
        reportDropped();
        gap.start();
    };
    QObject::connect(&gap, &QTimer::timeout, &loop, [&] {
        if (const std::optional<QByteArray> frame = cutter.silence())
            answer(*frame);
        reportDropped();
    });
    int code = Success;
    line->failed = [&](const QString& why) {
        io.err << port << " (" << *device << "): " << why << "\n";
        code = Refused;
        loop.quit();
    };
    HandleTerminationSignals([&] { loop.quit(); });
    QStringList served;
    QList<int> numbers;
    for (const ReadRequest& r : project->plan.reads)
        numbers << r.slave;
    for (const WriteRequest& w : project->plan.writes)
        numbers << w.slave;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (int n : numbers)
        served << QString::number(n);
    io.err << "Serving slave(s) "
           << (served.isEmpty() ? QStringLiteral("none") : served.join(QStringLiteral(", "))) << " on "
           << *device << ", " << DescribeBenchLine(project->line) << ". Ctrl+C ends.\n";
    io.err.flush();
    loop.exec();
    HandleTerminationSignals({});
    line->close();
    return code;
}

} // namespace

Verb PollVerb()
{
    return {
        "poll",
        "read every IN row of PROJECT_DIR's mapping from its slave on PORT once, as the gateway does, and "
        "print "
        "the input data",
        {QStringLiteral("PROJECT_DIR")},
        {PortOption(), RawOption(),
         QCommandLineOption(QStringLiteral("write"),
                            QStringLiteral("then write every OUT row from this PROFIBUS output data (hex)"),
                            QStringLiteral("HEX")),
         StopBitsOption()},
        &runPoll,
        QStringLiteral(
            "Serial settings from pargen.xml; Modbus RTU needs 8 data bits. On RS485 use an adapter\n"
            "that switches direction by itself.\n"
            "Exit status: 0 every row answered, 1 a row did not (or the project or port cannot be "
            "used),\n2 usage error."),
        {QStringLiteral("port")}};
}

Verb ServeVerb()
{
    return {
        "serve",
        "answer on PORT as the slaves PROJECT_DIR's mapping names, with the registers of VALUES.csv, until "
        "Ctrl+C",
        {QStringLiteral("PROJECT_DIR")},
        {PortOption(),
         QCommandLineOption(QStringLiteral("values"),
                            QStringLiteral("register values: slave,type,register,value"),
                            QStringLiteral("VALUES.csv")),
         StopBitsOption()},
        &runServe,
        QStringLiteral(
            "Functions 3 and 4 read the registers of VALUES.csv; functions 6 and 16 write the registers the\n"
            "OUT rows name (kept, and readable with function 3); any other register gets exception 2, other\n"
            "slave addresses no answer. One line per request on stdout.\n"
            "Exit status: 0 ended by Ctrl+C or SIGTERM, 1 the project, values or port cannot be used or the\n"
            "line failed, 2 usage error."),
        {QStringLiteral("port"), QStringLiteral("values")}};
}

} // namespace velmaro::cli
