#pragma once

#include "platform/FileFingerprint.h"

#include <QString>

namespace velmaro {

class IMessageBoxes;

// Whether an editor's OK may replace its document. `atShowing` is the file as it stood before the
// window's showing read it. A document changed on disk since then (by another program, another window
// or a text editor) is replaced only when the user answers Yes to that question; otherwise one that the
// showing could not read whole is replaced only on Yes to that one. One read whole and unchanged, or one
// that did not exist, is replaced without asking. `path` is shown in native form.
bool MayReplaceDocument(IMessageBoxes& messages, const QString& path, bool readWhole,
                        const FileFingerprint& atShowing);

} // namespace velmaro
