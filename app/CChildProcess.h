#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace Korvale {

// A program run beside the window (korvale-train), whose output the window
// reads line by line without ever waiting for it, so that frames go on at
// their rate while the program works. Standard output and standard error
// arrive together; standard input is empty. A program still running when
// this object goes is stopped.
class CChildProcess {
public:
    CChildProcess() = default;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;
    ~CChildProcess();

    // Starts the program (a path) with its arguments, in the working folder.
    // On failure returns false and the reason in `error`.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error);
    bool IsRunning() const { return pid > 0; }

    // The whole lines written since the last call. Once the program has
    // ended and all it wrote is read, `ended` holds and `exitStatus` is its
    // exit status (128 + N when signal N ended it).
    struct Output {
        std::vector<std::string> lines;
        bool ended = false;
        int exitStatus = 0;
    };
    Output Poll();

    // Stops a program still running (SIGTERM) and waits for it.
    void Stop();

private:
    // Reads what is there; false once the program has closed its end.
    bool ReadAvailable(std::vector<std::string>& lines);

    pid_t pid = -1;
    int output = -1; // the reading end of the program's standard output and error
    std::string partial; // a line not yet ended
};

} // namespace Korvale
