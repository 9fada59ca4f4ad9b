// The bench verbs on a serial line: poll (the PC as the gateway's master) and serve (virtual slaves).
#include "cli/CliBench.h"
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
    std::optional<QByteArray> output;
    if (!project || !ReadHexOption(args, QStringLiteral("write"), project->line.outLength, output, io))
        return Refused;
    std::unique_ptr<IModbusMaster> master = CreateModbusMaster();
    const std::optional<BenchPort> port = OpenBenchPort(args, project->line, *master, io);
    if (!port)
        return Refused;
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

// "Serving slave(s) 1, 7 on <device>, <line>. Ctrl+C ends.": every slave a row of the plan names, once.
QString ServeBanner(const BenchProject& project, const QString& device)
{
    QList<int> numbers;
    for (const ReadRequest& r : project.plan.reads)
        numbers << r.slave;
    for (const WriteRequest& w : project.plan.writes)
        numbers << w.slave;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QStringList served;
    for (int n : numbers)
        served << QString::number(n);
    return QStringLiteral("Serving slave(s) %1 on %2, %3. Ctrl+C ends.\n")
        .arg(served.isEmpty() ? QStringLiteral("none") : served.join(QStringLiteral(", ")), device,
             DescribeBenchLine(project.line));
}

// Cuts the requests out of the bytes received and answers each as the virtual slaves do, one line per
// request on out.
class SlaveServer
{
public:
    SlaveServer(const BenchProject& project, ISerialByteLine& line, QEventLoop& loop, Io& io)
        : m_slaves(SlavesForPlan(project.plan, project.registers)), m_line(line), m_loop(loop), m_io(io)
    {
        m_gap.setSingleShot(true);
        m_gap.setInterval(frameGapMs(project.line.baudRate));
        QObject::connect(&m_gap, &QTimer::timeout, &loop, [this] {
            if (const std::optional<QByteArray> frame = m_cutter.silence())
                answer(*frame);
            reportDropped();
        });
    }
    void received(const QByteArray& bytes)
    {
        m_cutter.feed(bytes);
        while (const std::optional<QByteArray> frame = m_cutter.next())
            answer(*frame);
        reportDropped();
        m_gap.start();
    }

private:
    void answer(const QByteArray& frame)
    {
        const VirtualSlaves::Answer a = m_slaves.respond(frame);
        if (!a.reply.isEmpty())
            m_line.write(a.reply);
        m_io.out << a.line << "\n";
        flush();
    }
    void reportDropped()
    {
        if (const int dropped = m_cutter.takeDropped()) {
            m_io.out << "dropped " << dropped << " byte(s) that are no request\n";
            flush();
        }
    }
    // A log that cannot be written ends the run: answering on, unseen, would hide it.
    void flush()
    {
        m_io.out.flush();
        if (m_io.out.failed())
            m_loop.exit(Refused);
    }

    VirtualSlaves m_slaves;
    RequestCutter m_cutter;
    QTimer m_gap;
    ISerialByteLine& m_line;
    QEventLoop& m_loop;
    Io& m_io;
};

int runServe(const VerbArgs& args, Io& io)
{
    const std::optional<BenchProject> project = LoadBenchProject(args, io, true);
    if (!project)
        return Refused;
    std::unique_ptr<ISerialByteLine> line = CreateSerialByteLine();
    const std::optional<BenchPort> port = OpenBenchPort(args, project->line, *line, io);
    if (!port)
        return Refused;
    QEventLoop loop;
    SlaveServer server(*project, *line, loop, io);
    line->received = [&](const QByteArray& bytes) { server.received(bytes); };
    return RunBenchLine(*line, *port, loop, ServeBanner(*project, port->device), QByteArray(), io);
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
            "Exit status: 0 ended by Ctrl+C or SIGTERM, 1 the project, values or port cannot be used, the\n"
            "port went away or stdout cannot be written, 2 usage error."),
        {QStringLiteral("port"), QStringLiteral("values")}};
}

} // namespace velmaro::cli
