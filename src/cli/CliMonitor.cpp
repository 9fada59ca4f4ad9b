// monitor: the line of the gateway's transparent serial mode, frame by frame.
#include "cli/CliBench.h"
#include "mapping/LineMonitor.h"
#include "platform/ModbusLine.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace velmaro::cli {

namespace {

// --send or --send-text, the bytes sent first (none without either); nothing after saying why.
std::optional<QByteArray> BytesToSend(const VerbArgs& args, Io& io)
{
    std::optional<QByteArray> send;
    if (!ReadHexOption(args, QStringLiteral("send"), 65536, send, io))
        return std::nullopt;
    if (args.isSet(QStringLiteral("send-text")))
        send = args.value(QStringLiteral("send-text")).toUtf8();
    return send.value_or(QByteArray());
}

QString MonitorBanner(const BenchLine& bench, const QString& device)
{
    const QString cut =
        bench.endByTimeout
            ? QStringLiteral("frames end after %1 ms of silence").arg(bench.endTimeMs)
            : QStringLiteral("frames end with 0x%1")
                  .arg(QString::number(bench.endChar, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    return QStringLiteral("Monitoring %1, %2 baud, %3 data bits; %4. Ctrl+C ends.\n")
        .arg(device, QString::number(bench.baudRate), QString::number(int(bench.dataBits)), cut);
}

// Prints the frames of the bytes received, cut as the gateway's transparent mode cuts them, each with
// the time since the start.
class FrameMonitor
{
public:
    FrameMonitor(const BenchLine& bench, QEventLoop& loop, Io& io)
        : m_cutter(bench.endByTimeout, bench.endChar), m_loop(loop), m_io(io)
    {
        m_clock.start();
        m_quiet.setSingleShot(true);
        m_quiet.setInterval(std::max(1, bench.endTimeMs));
        QObject::connect(&m_quiet, &QTimer::timeout, &loop, [this] {
            if (const std::optional<QByteArray> frame = m_cutter.silence())
                print(*frame);
        });
    }
    void received(const QByteArray& bytes)
    {
        for (const QByteArray& frame : m_cutter.feed(bytes))
            print(frame);
        m_quiet.start();
    }
    // What came after the last frame, when the monitor ends.
    void finish()
    {
        if (!m_cutter.rest().isEmpty())
            m_io.out << MonitorLine(m_clock.elapsed(), m_cutter.rest()) << " (incomplete)\n";
    }

private:
    void print(const QByteArray& frame)
    {
        m_io.out << MonitorLine(m_clock.elapsed(), frame) << "\n";
        m_io.out.flush();
        if (m_io.out.failed()) // a frame that cannot be shown ends the monitor
            m_loop.exit(Refused);
    }

    ReceiveCutter m_cutter;
    QElapsedTimer m_clock;
    QTimer m_quiet;
    QEventLoop& m_loop;
    Io& m_io;
};

int runMonitor(const VerbArgs& args, Io& io)
{
    if (args.isSet(QStringLiteral("send")) && args.isSet(QStringLiteral("send-text"))) {
        io.err << "Give --send or --send-text, not both.\n";
        return UsageError;
    }
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    if (!folder)
        return Refused;
    const std::optional<SerialStopBits> stopBits = ReadStopBits(args, io);
    if (!stopBits)
        return Refused;
    const Result<BenchLine> bench = LoadBenchLine(folder->PargenXmlPath, *stopBits, false);
    if (!bench.ok()) {
        io.err << PargenXmlName << ": " << bench.error() << "\n";
        return Refused;
    }
    const std::optional<QByteArray> send = BytesToSend(args, io);
    if (!send)
        return Refused;
    std::unique_ptr<ISerialByteLine> line = CreateSerialByteLine();
    const std::optional<BenchPort> port = OpenBenchPort(args, *bench, *line, io);
    if (!port)
        return Refused;
    QEventLoop loop;
    FrameMonitor monitor(*bench, loop, io);
    line->received = [&](const QByteArray& bytes) { monitor.received(bytes); };
    const int code = RunBenchLine(*line, *port, loop, MonitorBanner(*bench, port->device), *send, io);
    monitor.finish();
    return code;
}

} // namespace

Verb MonitorVerb()
{
    return {
        "monitor",
        "print every frame received on PORT as the gateway's transparent serial mode cuts it, until Ctrl+C",
        {QStringLiteral("PROJECT_DIR")},
        {PortOption(),
         QCommandLineOption(QStringLiteral("send"), QStringLiteral("send these bytes (hex) first"),
                            QStringLiteral("HEX")),
         QCommandLineOption(QStringLiteral("send-text"), QStringLiteral("send this text (UTF-8) first"),
                            QStringLiteral("TEXT")),
         StopBitsOption()},
        &runMonitor,
        QStringLiteral(
            "Serial settings and framing from pargen.xml: Ser_Receive chooses the end character\n"
            "(Ser_Receive_End_C) or the silence (Ser_Receive_End_T ms). Each line: the time in ms\n"
            "since the start, the length, the bytes in hex and as text.\n"
            "Exit status: 0 ended by Ctrl+C or SIGTERM, 1 the project or port cannot be used, the port\n"
            "went away or stdout cannot be written, 2 usage error."),
        {QStringLiteral("port")}};
}

} // namespace velmaro::cli
