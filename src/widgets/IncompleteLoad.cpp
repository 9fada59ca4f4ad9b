#include "widgets/IncompleteLoad.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace velmaro {

bool MayReplaceDocument(IMessageBoxes& messages, const QString& path, bool readWhole,
                        const FileFingerprint& atShowing)
{
    // A change on disk makes what the showing read, whole or not, beside the point: one question.
    if (ChangedSince(atShowing, path))
        return messages.askYesNo(QStringLiteral("\"%1\" was changed by another program since this window "
                                                "opened. Replace it with what this window shows?")
                                     .arg(DisplayPath(path)));
    if (readWhole)
        return true;
    return messages.askYesNo(QStringLiteral("\"%1\" could not be read completely when this window opened. "
                                            "Replace it with what this window shows?")
                                 .arg(DisplayPath(path)));
}

} // namespace velmaro
