#include "cli/Cli.h"
#include "cli/CliCheck.h"

namespace velmaro::cli {

Verb ImageVerb();
Verb GsdVerb();
Verb ExportVerb();
Verb ImportVerb();
Verb UpdateVerb();
Verb ExplainVerb();
Verb RecoverVerb();
Verb ReportVerb();
Verb MapVerb();
Verb DiffVerb();
Verb SimulateVerb();
Verb PollVerb();
Verb ServeVerb();
Verb MonitorVerb();

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {
        ImageVerb(),  GsdVerb(),      CheckVerb(),   MapVerb(),     ExportVerb(),
        ImportVerb(), UpdateVerb(),   ExplainVerb(), RecoverVerb(), ReportVerb(),
        DiffVerb(),   SimulateVerb(), PollVerb(),    ServeVerb(),   MonitorVerb(),
    };
    return verbs;
}

} // namespace velmaro::cli
