#include "widgets/IncompleteLoad.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace velmaro {

bool MayReplaceDocument(IMessageBoxes& messages, const QString& path, bool readWhole)
{
    if (readWhole)
        return true;
    return messages.askYesNo(QStringLiteral("\"%1\" could not be read completely when this window opened. "
                                            "Replace it with what this window shows?")
                                 .arg(DisplayPath(path)));
}

} // namespace velmaro
