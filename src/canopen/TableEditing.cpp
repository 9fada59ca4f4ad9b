#include "canopen/TableEditing.h"

namespace velmaro {

void ShowEditOutcome(IMessageBoxes& boxes, const EditOutcome& outcome)
{
    for (const QString& message : outcome.messages) {
        if (outcome.kind == EditOutcome::Rejected)
            boxes.showMessage(message);
        else if (outcome.kind == EditOutcome::Failed)
            boxes.showError(message);
    }
}

} // namespace velmaro
