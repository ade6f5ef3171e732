#pragma once
#include <stdexcept>

namespace Korvale::Run {

// A command failed as the status line would show it: the text holds one
// fault a line, innermost first.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Korvale::Run
