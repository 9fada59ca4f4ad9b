#include "cli/Cli.h"
#include "cli/CliCheck.h"

namespace velmaro::cli {

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {
        CheckVerb(),
    };
    return verbs;
}

} // namespace velmaro::cli
