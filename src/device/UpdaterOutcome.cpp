#include "device/UpdaterOutcome.h"

#include "device/UpdaterCommand.h"

namespace velmaro {

QString DescribeUpdaterOutcome(const ProcessOutcome& outcome, const QString& program)
{
    switch (outcome.kind) {
    case ProcessOutcome::NotStarted:
        return QStringLiteral("The updater \"%1\" could not be started: %2.")
            .arg(program, outcome.reason.isEmpty() ? QStringLiteral("reason unknown") : outcome.reason);
    case ProcessOutcome::StillRunning:
        return QStringLiteral("The updater did not end within %1 seconds; it was left running.")
            .arg(UpdaterWaitLimitMs / 1000);
    case ProcessOutcome::Ended: break;
    }
    return QStringLiteral("The updater ended with exit code %1.").arg(outcome.exitCode);
}

} // namespace velmaro
