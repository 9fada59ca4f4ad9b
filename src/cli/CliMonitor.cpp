// monitor: the line of the gateway's transparent serial mode, frame by frame.
#include "cli/CliBench.h"
#include "device/UpdaterCommand.h"
#include "mapping/LineMonitor.h"
#include "platform/ModbusLine.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace velmaro::cli {

namespace {

int runMonitor(const VerbArgs& args, Io& io)
{
    if (args.isSet(QStringLiteral("send")) && args.isSet(QStringLiteral("send-text"))) {
        io.err << "Give --send or --send-text, not both.\n";
        return UsageError;
    }
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    if (!folder)
        return Refused;
    SerialStopBits stopBits = SerialStopBits::One;
    if (args.isSet(QStringLiteral("stop-bits"))) {
        const QString text = args.value(QStringLiteral("stop-bits"));
        if (text != QLatin1String("1") && text != QLatin1String("2")) {
            io.err << "--stop-bits must be 1 or 2, not \"" << text << "\".\n";
            return Refused;
        }
        stopBits = text == QLatin1String("2") ? SerialStopBits::Two : SerialStopBits::One;
    }
    const Result<BenchLine> bench = LoadBenchLine(folder->PargenXmlPath, stopBits, false);
    if (!bench.ok()) {
        io.err << "pargen.xml: " << bench.error() << "\n";
        return Refused;
    }
    QByteArray send;
    if (args.isSet(QStringLiteral("send"))) {
        const std::optional<QByteArray> bytes =
            ReadHexOption(QStringLiteral("send"), args.value(QStringLiteral("send")), 65536, io);
        if (!bytes)
            return Refused;
        send = *bytes;
    } else if (args.isSet(QStringLiteral("send-text"))) {
        send = args.value(QStringLiteral("send-text")).toUtf8();
    }
    const QString port = args.value(QStringLiteral("port"));
    const std::optional<QString> device = CheckBenchPort(port, io);
    if (!device)
        return Refused;
    std::unique_ptr<ISerialByteLine> line = CreateSerialByteLine();
    const QString openError = line->open(BenchLineOptions(*bench, *device));
    if (!openError.isEmpty()) {
        io.err << PortCannotOpenText << "\n" << port << " (" << *device << "): " << openError << "\n";
        return Refused;
    }
    ReceiveCutter cutter(bench->endByTimeout, bench->endChar);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(std::max(1, bench->endTimeMs));
    const auto print = [&](const QByteArray& frame) {
        io.out << MonitorLine(clock.elapsed(), frame) << "\n";
        io.out.flush();
    };
    line->received = [&](const QByteArray& bytes) {
        for (const QByteArray& frame : cutter.feed(bytes))
            print(frame);
        quiet.start();
    };
    QObject::connect(&quiet, &QTimer::timeout, &loop, [&] {
        if (const std::optional<QByteArray> frame = cutter.silence())
            print(*frame);
    });
    int code = Success;
    line->failed = [&](const QString& why) {
        io.err << port << " (" << *device << "): " << why << "\n";
        code = Refused;
        loop.quit();
    };
    HandleTerminationSignals([&] { loop.quit(); });
    const QString cut =
        bench->endByTimeout
            ? QStringLiteral("frames end after %1 ms of silence").arg(bench->endTimeMs)
            : QStringLiteral("frames end with 0x%1")
                  .arg(QString::number(bench->endChar, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    io.err << "Monitoring " << *device << ", " << bench->baudRate << " baud, " << int(bench->dataBits)
           << " data bits; " << cut << ". Ctrl+C ends.\n";
    io.err.flush();
    if (!send.isEmpty())
        line->write(send);
    loop.exec();
    HandleTerminationSignals({});
    if (!cutter.rest().isEmpty())
        io.out << MonitorLine(clock.elapsed(), cutter.rest()) << " (incomplete)\n";
    line->close();
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
            "Exit status: 0 ended by Ctrl+C or SIGTERM, 1 the project or port cannot be used or the "
            "line failed,\n2 usage error."),
        {QStringLiteral("port")}};
}

} // namespace velmaro::cli
