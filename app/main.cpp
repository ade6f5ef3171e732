#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "engine/Random.h"
#include "host/Framework.h"

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // A log that reaches the file-size limit (ulimit -f) fails its write and
    // says so on the status line, instead of the program ending at once.
    std::signal(SIGXFSZ, SIG_IGN);
    Host::Framework framework;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (const int status = framework.Init(arguments, "korvale"); status != 0)
        return status;

    // The noise starts from the seed before anything can be loaded.
    if (const auto seed = framework.Flags().seed)
        Fen::setRandomState(Fen::seedState(*seed));

    // Destroyed in reverse: the shell lets the device go, then the
    // application's scene closes a running log, then the window system ends.
    Korvale::CKorvale app;
    Korvale::CKorvaleShell shell(framework, app);
    int status = framework.CreateWindowAndDevice("Korvale", 640, 480);
    if (status == 0)
        status = framework.MainLoop();
    return status;
}
