// korvale-sim: runs a scene without a window, for batch runs, data
// generation and checks.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>
#include <unistd.h>

#include "tools/SimOptions.h"
#include "tools/SimRun.h"

using namespace Korvale::Tools;

int main(int argc, char** argv)
{
    // A file that reaches the size limit (ulimit -f) fails its write, which
    // the log reports, instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const SimOptions options = SimOptions::Parse(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << SimUsage;
            return 0;
        }
        return SimRun::Run(options, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    } catch (const UsageError& error) {
        std::cerr << "korvale-sim: " << error.what() << " (korvale-sim --help shows the usage)\n";
        return 2;
    }
}
