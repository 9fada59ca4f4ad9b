#include "cli/CliBench.h"

#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "platform/SerialPlatform.h"

#include <QFile>

namespace velmaro::cli {

std::optional<BenchProject> LoadBenchProject(const VerbArgs& args, Io& io, bool modbus)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    if (!folder)
        return std::nullopt;
    const std::optional<SerialStopBits> stopBits = ReadStopBits(args, io);
    if (!stopBits)
        return std::nullopt;
    BenchProject project;
    project.paths = *folder;
    const Result<BenchLine> line = LoadBenchLine(folder->PargenXmlPath, *stopBits, modbus);
    if (!line.ok()) {
        io.err << PargenXmlName << ": " << line.error() << "\n";
        return std::nullopt;
    }
    project.line = *line;
    const Result<ProjectByteMaps> maps = LoadProjectByteMaps(folder->PargenXmlPath, folder->SdoXmlPath);
    if (!maps.ok()) {
        io.err << maps.error() << "\n";
        return std::nullopt;
    }
    if (!maps->found)
        io.err << "warning: no sdo.xml in \"" << args.positional.at(0) << "\": both tables are empty.\n";
    project.maps = maps->maps;
    project.plan = PlanRequests(maps->used);
    for (const PlanProblem& problem : project.plan.problems)
        io.err << "warning: " << TableTag(problem.side) << " row " << problem.row
               << " left out: " << problem.reason << ".\n";
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const ByteMap& map = project.maps.side(side);
        for (const ByteFinding& finding : map.findings) {
            if (finding.kind != FindingKind::Unfilled)
                io.err << "warning: " << DescribeFinding(finding, map.length) << "\n";
        }
    }
    if (args.isSet(QStringLiteral("values"))) {
        const std::optional<RegisterValues> registers =
            ReadValuesFile(args.value(QStringLiteral("values")), io);
        if (!registers)
            return std::nullopt;
        project.registers = *registers;
    }
    return project;
}

std::optional<SerialStopBits> ReadStopBits(const VerbArgs& args, Io& io)
{
    if (!args.isSet(QStringLiteral("stop-bits")))
        return SerialStopBits::One;
    const QString text = args.value(QStringLiteral("stop-bits"));
    if (text != QLatin1String("1") && text != QLatin1String("2")) {
        io.err << "--stop-bits must be 1 or 2, not \"" << text << "\".\n";
        return std::nullopt;
    }
    return text == QLatin1String("2") ? SerialStopBits::Two : SerialStopBits::One;
}

std::optional<RegisterValues> ReadValuesFile(const QString& path, Io& io)
{
    const Status regular = CheckRegularFile(path);
    if (!regular.ok()) {
        io.err << regular.error() << "\n";
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        io.err << "Cannot read \"" << DisplayPath(path) << "\": " << file.errorString() << ".\n";
        return std::nullopt;
    }
    const Result<RegisterValues> values = ParseRegisterValues(QString::fromUtf8(file.readAll()));
    if (!values.ok()) {
        io.err << DisplayPath(path) << ", " << values.error() << ".\n";
        return std::nullopt;
    }
    return *values;
}

bool ReadHexOption(const VerbArgs& args, const QString& option, qint64 length,
                   std::optional<QByteArray>& bytes, Io& io)
{
    if (!args.isSet(option))
        return true;
    const Result<QByteArray> parsed = ParseHexBytes(args.value(option), length);
    if (!parsed.ok()) {
        io.err << "--" << option << ": " << parsed.error() << ".\n";
        return false;
    }
    bytes = *parsed;
    return true;
}

QString ReadRowHead(const ReadRequest& read)
{
    return QStringLiteral("IN row %1: slave %2 %3 registers %4..%5 -> bytes %6: ")
        .arg(read.row)
        .arg(read.slave)
        .arg(RegisterKindWord(read.kind))
        .arg(read.first)
        .arg(read.first + read.count - 1)
        .arg(ByteSpan(read.byte, read.byte + 2 * qint64(read.count) - 1));
}

QString WriteRowLine(const WriteRequest& write)
{
    return QStringLiteral("OUT row %1: slave %2 registers %3..%4 = %5")
        .arg(write.row)
        .arg(write.slave)
        .arg(write.first)
        .arg(write.first + write.count - 1)
        .arg(RegisterValuesText(write.values));
}

void PrintInputData(const QByteArray& image, bool raw, Io& io)
{
    if (raw) {
        io.out << HexLine(image) << "\n";
        return;
    }
    io.out << "Input data (" << image.size() << " bytes):\n" << HexDump(image);
}

QCommandLineOption StopBitsOption()
{
    return QCommandLineOption(QStringLiteral("stop-bits"), QStringLiteral("1 (the default) or 2 stop bits"),
                              QStringLiteral("N"));
}

QCommandLineOption PortOption()
{
    return QCommandLineOption(QStringLiteral("port"),
                              QStringLiteral("COMn, a device path or a pseudo-terminal path"),
                              QStringLiteral("PORT"));
}

QCommandLineOption RawOption()
{
    return QCommandLineOption(QStringLiteral("raw"),
                              QStringLiteral("print only the input data: one line of hex bytes"));
}

std::optional<QString> CheckBenchPort(const QString& port, Io& io)
{
    const PortProbe probe = ProbeSerialPort(SystemSerialPlatform(), port);
    if (probe.device.isEmpty()) {
        io.err << PortCannotOpenText << "\n" << probe.failure << "\n";
        return std::nullopt;
    }
    return probe.device;
}

std::optional<BenchPort> OpenBenchPort(const VerbArgs& args, const BenchLine& line,
                                       const std::function<QString(const SerialLineOptions&)>& open, Io& io)
{
    const QString port = args.value(QStringLiteral("port"));
    const std::optional<QString> device = CheckBenchPort(port, io);
    if (!device)
        return std::nullopt;
    const QString openError = open(BenchLineOptions(line, *device));
    if (!openError.isEmpty()) {
        io.err << PortCannotOpenText << "\n" << port << " (" << *device << "): " << openError << "\n";
        return std::nullopt;
    }
    return BenchPort{port, *device};
}

int RunBenchLine(ISerialByteLine& line, const BenchPort& port, QEventLoop& loop, const QString& banner,
                 const QByteArray& send, Io& io)
{
    int code = Success;
    line.failed = [&](const QString& why) {
        io.err << port.port << " (" << port.device << "): " << why << "\n";
        code = Refused;
        loop.quit();
    };
    HandleTerminationSignals([&] { loop.quit(); });
    io.err << banner;
    io.err.flush();
    if (!send.isEmpty())
        line.write(send); // a failure here is reported at once, before the loop would see its quit
    if (code == Success && loop.exec() != 0) // a line the verb could not print; main reports that
        code = Refused;
    HandleTerminationSignals({});
    line.close();
    line.failed = nullptr; // it names what ends with this call
    return code;
}

} // namespace velmaro::cli
