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
    SerialStopBits stopBits = SerialStopBits::One;
    if (args.isSet(QStringLiteral("stop-bits"))) {
        const QString text = args.value(QStringLiteral("stop-bits"));
        if (text != QLatin1String("1") && text != QLatin1String("2")) {
            io.err << "--stop-bits must be 1 or 2, not \"" << text << "\".\n";
            return std::nullopt;
        }
        stopBits = text == QLatin1String("2") ? SerialStopBits::Two : SerialStopBits::One;
    }
    BenchProject project;
    project.paths = *folder;
    const Result<BenchLine> line = LoadBenchLine(folder->PargenXmlPath, stopBits, modbus);
    if (!line.ok()) {
        io.err << "pargen.xml: " << line.error() << "\n";
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
    return project;
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

std::optional<QByteArray> ReadHexOption(const QString& option, const QString& text, qint64 length, Io& io)
{
    const Result<QByteArray> bytes = ParseHexBytes(text, length);
    if (!bytes.ok()) {
        io.err << "--" << option << ": " << bytes.error() << ".\n";
        return std::nullopt;
    }
    return *bytes;
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

} // namespace velmaro::cli
