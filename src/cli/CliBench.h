#pragma once

// What the bench verbs (simulate, poll, serve, monitor) share: the project's plan and line, the values
// file, the hex options, and the printing of rows and input data.

#include "cli/Cli.h"
#include "mapping/BenchLine.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingSimulation.h"
#include "platform/ModbusLine.h"

#include <QEventLoop>

#include <functional>
#include <optional>

namespace velmaro::cli {

struct BenchProject
{
    ProjectPaths paths;
    BenchLine line;
    RequestPlan plan;
    ByteMaps maps;
    RegisterValues registers; // from --values, for the verbs that have it
};

// Loads pargen.xml and sdo.xml of PROJECT_DIR (positional 0), the --stop-bits option and, when given,
// the --values file; says why on err when it cannot. Prints on err, as warnings, the rows the plan
// leaves out and the byte map's collisions and rows past the data length. `modbus`: refuse data bits
// other than 8.
std::optional<BenchProject> LoadBenchProject(const VerbArgs& args, Io& io, bool modbus);

// --stop-bits: 1 without it; nothing after saying why when it is neither 1 nor 2.
std::optional<SerialStopBits> ReadStopBits(const VerbArgs& args, Io& io);

std::optional<RegisterValues> ReadValuesFile(const QString& path, Io& io);
// The bytes of the hex `option` into `bytes` when it is given (left empty when not); false after saying
// why when its text is not hex of at most `length` bytes.
bool ReadHexOption(const VerbArgs& args, const QString& option, qint64 length,
                   std::optional<QByteArray>& bytes, Io& io);

// "IN row 1: slave 1 holding registers 10..11 -> bytes 0..3: " (values follow).
QString ReadRowHead(const ReadRequest& read);
// "OUT row N: slave S registers R..R+n-1 = 0x1234 0xABCD"
QString WriteRowLine(const WriteRequest& write);
// The input data: the hex dump under a heading, or with `raw` the one line.
void PrintInputData(const QByteArray& image, bool raw, Io& io);

QCommandLineOption StopBitsOption();
QCommandLineOption PortOption();
QCommandLineOption RawOption();

// The port's device (COMn, a device path or a pseudo-terminal) opened and closed again, to give the
// update dialog's reason when it is missing, busy or forbidden; the device path, or nothing after
// saying why on err.
std::optional<QString> CheckBenchPort(const QString& port, Io& io);

// The port a bench verb works on: --port as given and the device it names.
struct BenchPort
{
    QString port;
    QString device;
};

// --port checked (CheckBenchPort), then opened with `open` (a line's or a master's) and the project's
// line settings; nothing after saying why on err.
std::optional<BenchPort> OpenBenchPort(const VerbArgs& args, const BenchLine& line,
                                       const std::function<QString(const SerialLineOptions&)>& open, Io& io);
// The same with the open of `opened`, an IModbusMaster or an ISerialByteLine.
template <class Line>
std::optional<BenchPort> OpenBenchPort(const VerbArgs& args, const BenchLine& line, Line& opened, Io& io)
{
    return OpenBenchPort(
        args, line, [&](const SerialLineOptions& o) { return opened.open(o); }, io);
}

// Runs `loop` until Ctrl+C, SIGTERM, a failure of `line` (said on err) or loop.exit(Refused) (the verb's
// output cannot be written), then closes the line. Prints `banner` on err and sends `send` first.
// Success, or Refused after a failure of the line or the output.
int RunBenchLine(ISerialByteLine& line, const BenchPort& port, QEventLoop& loop, const QString& banner,
                 const QByteArray& send, Io& io);

} // namespace velmaro::cli
