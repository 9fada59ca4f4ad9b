#include "app/ProjectDiff.h"
#include "cli/Cli.h"

namespace velmaro::cli {

namespace {

// diff's own exit status: 0 same, 1 different, 2 trouble.
enum DiffExit
{
    Same = 0,
    Different = 1,
    Trouble = 2
};

int RunDiff(const VerbArgs& args, Io& io)
{
    const Result<std::pair<DiffSource, DiffSource>> sources = ClassifyDiffPair(args.path(0), args.path(1));
    if (!sources.ok()) {
        io.err << sources.error() << "\n";
        return Trouble;
    }
    DiffOptions options;
    options.text = args.isSet(QStringLiteral("text"));
    const Result<DiffResult> result = CompareSources(sources->first, sources->second, options);
    if (!result.ok()) {
        io.err << result.error() << "\n";
        return Trouble;
    }
    if (args.isSet(QStringLiteral("csv"))) {
        io.out << DiffCsv(result->entries);
    } else {
        for (const DiffEntry& entry : result->entries)
            io.out << DiffLine(entry) << "\n";
    }
    for (const DiffEntry& entry : result->entries) {
        if (entry.kind == DiffEntry::Kind::Unreadable)
            io.err << "Not readable: " << DiffLine(entry) << "\n";
    }
    if (result->trouble())
        return Trouble;
    return result->entries.isEmpty() ? Same : Different;
}

} // namespace

Verb DiffVerb()
{
    return {
        "diff",
        "print what differs between two projects, two documents of one kind, or a project and a bank.bin",
        {QStringLiteral("A"), QStringLiteral("B")},
        {QCommandLineOption(QStringLiteral("text"),
                            QStringLiteral("compare stored texts: 0x13 and 19 differ")),
         QCommandLineOption(QStringLiteral("csv"),
                            QStringLiteral("print the changes as CSV: document,place,field,"
                                           "old,new"))},
        RunDiff,
        QStringLiteral(
            "A and B are each a project folder, a single document (pargen.xml, sdo.xml, rpdodef.xml,\n"
            "sdopdo.xml, emcydef.xml, emcyword.xml; known by the end of its name or by its root element)\n"
            "or a bank.bin (*.bin). A project against a document compares the project's document of that\n"
            "kind; a project or a pargen.xml against a bank.bin compares the image pargen.xml builds with\n"
            "the bank.bin, field by field. One line per change, A's value first:\n"
            "  pargen.xml: Baudrate (Ser_Baud): 115200 -> 9600\n"
            "  sdo.xml: ProfiBus IN row 3: NPoint 2 -> 4\n"
            "  sdo.xml: ProfiBus IN row 4: added row: Slave ID 2, Type ...\n"
            "  sdo.xml: added finding: ProfiBus IN --> Serial Read: collision on bytes 10..13: ...\n"
            "  rpdodef.xml: CanA cobid 0x181: posind 0 -> 1\n"
            "  bank.bin: offset 13: Baudrate (Ser_Baud) 07 (Baudrate 115200) -> 03 (Baudrate 9600)\n"
            "  emcydef.xml: only in B\n"
            "pargen.xml fields are named by the editor's label and element and shown as the editor shows\n"
            "them; texts that read as the same integer (0x13 and 19) are equal unless --text is given.\n"
            "sdo.xml rows are aligned, so an inserted or deleted row reads as one line; then the byte map\n"
            "findings (collisions, rows past the data length) that B adds or removes. The CANopen tables'\n"
            "rows are matched per side by the key they are saved in order of. Whitespace, attribute order\n"
            "and the XML declaration never count.\n"
            "Exit status: 0 no difference; 1 differences; 2 trouble: an argument that does not exist, two\n"
            "kinds that cannot be compared, a document that cannot be read (named on stderr), usage error.")};
}

} // namespace velmaro::cli
