#include "cli/Cli.h"

namespace velmaro::cli {

namespace {

int RunReport(const VerbArgs&, Io& io)
{
    io.err << "not yet\n";
    return Refused;
}

} // namespace

Verb ReportVerb()
{
    return {"report",
            "write a one-page HTML report of PROJECT_DIR into OUT.html",
            {QStringLiteral("PROJECT_DIR"), QStringLiteral("OUT.html")},
            {},
            RunReport};
}

} // namespace velmaro::cli
