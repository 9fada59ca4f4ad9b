#pragma once

#include <QString>

#include <optional>

namespace velmaro {

// "velmaro --help" and "velmaro --version": answered on stdout before any window exists, so they need
// no display. Returns the exit status when one of them was asked for, nothing when the program starts.
std::optional<int> AnswerInformationOptions(int argc, char* argv[]);

// The one line a graphical start prints when it has nowhere to show its window: neither DISPLAY nor
// WAYLAND_DISPLAY is set and no platform is chosen (QT_QPA_PLATFORM, "-platform"). Without it Qt
// aborts with a page about platform plugins. Nothing when a window can be tried.
std::optional<QString> MissingDisplay(int argc, char* argv[]);

} // namespace velmaro
