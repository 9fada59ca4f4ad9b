#pragma once

#include "platform/Processes.h"

#include <QString>

namespace velmaro {

// What became of one run of the updater at `program` (its full native path), in words for the user:
// "The updater "<program>" could not be started: <reason>.", "The updater did not end within 150
// seconds; it was left running." or "The updater ended with exit code <n>.".
QString DescribeUpdaterOutcome(const ProcessOutcome& outcome, const QString& program);

} // namespace velmaro
