#pragma once

// What the bench verbs (simulate, poll, serve, monitor) share: the project's plan and line, the values
// file, the hex options, and the printing of rows and input data.

#include "cli/Cli.h"
#include "mapping/BenchLine.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingSimulation.h"

#include <optional>

namespace velmaro::cli {

struct BenchProject
{
    ProjectPaths paths;
    BenchLine line;
    RequestPlan plan;
    ByteMaps maps;
};

// Loads pargen.xml and sdo.xml of PROJECT_DIR (positional 0) and the --stop-bits option; says why on err
// when it cannot. Prints on err, as warnings, the rows the plan leaves out and the byte map's
// collisions and rows past the data length. `modbus`: refuse data bits other than 8.
std::optional<BenchProject> LoadBenchProject(const VerbArgs& args, Io& io, bool modbus);

std::optional<RegisterValues> ReadValuesFile(const QString& path, Io& io);
std::optional<QByteArray> ReadHexOption(const QString& option, const QString& text, qint64 length, Io& io);

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

} // namespace velmaro::cli
