#pragma once

#include <QIcon>
#include <QString>

namespace velmaro {

// An icon drawn from the SVG file at `path` at each size when a size is first asked for, so that
// building it costs nothing until a window or the window system shows it. No image plugin is needed.
QIcon SvgIcon(const QString& path);

} // namespace velmaro
