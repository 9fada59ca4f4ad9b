#pragma once

#include "cli/Cli.h"

namespace velmaro {
class ISerialPlatform;
class IProcessRunner;
} // namespace velmaro

namespace velmaro::cli {

// Exit codes of "update" besides the updater's own, as shells give them for a command that timed out and
// for one that could not be run.
constexpr int UpdaterStillRunning = 124;
constexpr int UpdaterNotStarted = 127;

Verb UpdateVerb();

// "update" with the serial ports, the process runner and the application directory given, so tests
// can put pseudo-terminals and a recorder in place.
int RunUpdate(const VerbArgs& args, Io& io, ISerialPlatform& serial, IProcessRunner& processes,
              const QString& appDir);

} // namespace velmaro::cli
