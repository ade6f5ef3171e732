#pragma once
#include <ostream>

namespace Korvale::Tools {

struct SimOptions;

// One headless run: the panel's commands and the window's frame loop over
// one scene, without a window. Errors of the commands go to err exactly as
// the status line would show them; the summary line goes to out.
class SimRun {
public:
    // The exit status: 0, or 1 when a command failed or an output file could
    // not be written. Throws UsageError for an unusable key script.
    static int Run(const SimOptions& options, std::ostream& out, std::ostream& err, bool terminal);
};

} // namespace Korvale::Tools
