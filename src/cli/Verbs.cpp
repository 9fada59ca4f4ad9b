#include "cli/Cli.h"

namespace velmaro::cli {

Verb ImageVerb();

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {
        ImageVerb(),
    };
    return verbs;
}

} // namespace velmaro::cli
