#include "cli/Cli.h"

namespace velmaro::cli {

Verb ImageVerb();
Verb GsdVerb();
Verb ExportVerb();
Verb ImportVerb();

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {
        ImageVerb(),
        GsdVerb(),
        ExportVerb(),
        ImportVerb(),
    };
    return verbs;
}

} // namespace velmaro::cli
