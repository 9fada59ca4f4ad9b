#include "cli/Cli.h"

namespace velmaro::cli {

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {};
    return verbs;
}

} // namespace velmaro::cli
