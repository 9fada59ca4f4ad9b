#include "cli/CliBench.h"

namespace velmaro::cli {

namespace {

int runSimulate(const VerbArgs& args, Io& io)
{
    const bool raw = args.isSet(QStringLiteral("raw"));
    if (raw && args.isSet(QStringLiteral("output-image"))) {
        io.err << "--raw prints the input data only; leave out --output-image.\n";
        return UsageError;
    }
    const std::optional<BenchProject> project = LoadBenchProject(args, io, false);
    std::optional<QByteArray> output;
    if (!project || !ReadHexOption(args, QStringLiteral("output-image"), project->line.outLength, output, io))
        return Refused;
    const QList<ReadRequest>& reads = project->plan.reads;
    const Simulation sim = Simulate(reads, project->registers, project->line.inLength);
    for (const RegisterKey& key : sim.missing)
        io.err << "warning: " << DescribeRegister(key)
               << " has no value in the values file; it counts as 0.\n";
    if (!raw) {
        for (int i = 0; i < reads.size(); ++i) {
            QByteArray bytes;
            for (quint16 v : sim.values.at(i))
                bytes.append(char(v >> 8)).append(char(v & 0xFF));
            io.out << ReadRowHead(reads.at(i)) << RegisterValuesText(sim.values.at(i)) << " = "
                   << HexLine(bytes) << "\n";
        }
    }
    PrintInputData(sim.image, raw, io);
    if (output) {
        for (const WriteRequest& write : OutputWrites(project->plan.writes, *output))
            io.out << WriteRowLine(write) << "\n";
    }
    return Success;
}

} // namespace

Verb SimulateVerb()
{
    return {
        "simulate",
        "compute offline the PROFIBUS input data PROJECT_DIR's mapping makes of the register values in "
        "VALUES.csv",
        {QStringLiteral("PROJECT_DIR")},
        {QCommandLineOption(QStringLiteral("values"),
                            QStringLiteral("register values: slave,type,register,value"),
                            QStringLiteral("VALUES.csv")),
         QCommandLineOption(QStringLiteral("output-image"),
                            QStringLiteral("PROFIBUS output data in hex: print the write of every OUT row"),
                            QStringLiteral("HEX")),
         RawOption()},
        &runSimulate,
        QStringLiteral(
            "Each IN row reads NPoint registers of its slave (Holding Register: function 3, Input Register:\n"
            "function 4) into 2 x NPoint input bytes from Address ProfiBUS, high byte first; later rows\n"
            "overwrite earlier ones. A register without a value counts as 0 (with a warning).\n"
            "Exit status: 0 computed (warnings on stderr), 1 a document, the values file or the output\n"
            "data cannot be used, 2 usage error."),
        {QStringLiteral("values")}};
}

} // namespace velmaro::cli
