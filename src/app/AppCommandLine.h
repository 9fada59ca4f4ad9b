#pragma once

#include <optional>

namespace velmaro {

// "velmaro --help" and "velmaro --version": answered on stdout before any window exists, so they need
// no display. Returns the exit status when one of them was asked for, nothing when the program starts.
std::optional<int> AnswerInformationOptions(int argc, char* argv[]);

} // namespace velmaro
