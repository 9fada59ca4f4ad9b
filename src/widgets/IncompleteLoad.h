#pragma once

#include <QString>

namespace velmaro {

class IMessageBoxes;

// Whether an editor's OK may replace its document. A document that the window's showing could not
// read whole is replaced only when the user answers Yes; one read whole, or one that did not exist,
// is replaced without asking. `path` is shown in native form.
bool MayReplaceDocument(IMessageBoxes& messages, const QString& path, bool readWhole);

} // namespace velmaro
