#include "app/CChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Korvale {

namespace {

// The status as a shell reports it: the exit code, or 128 + the signal.
int StatusOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

// posix_spawn's file actions, released however Start leaves.
struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
};

} // namespace

CChildProcess::~CChildProcess()
{
    Stop();
}

bool CChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error)
{
    Stop();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    FileActions files;
    posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files.actions, ends[1], 1);
    posix_spawn_file_actions_adddup2(&files.actions, ends[1], 2);
    // The window's own descriptors (its display connection, open logs) stay
    // with the window.
    posix_spawn_file_actions_addclosefrom_np(&files.actions, 3);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int result = ::posix_spawn(&pid, program.c_str(), &files.actions, nullptr, argv.data(), environ);
    ::close(ends[1]);
    if (result != 0) {
        ::close(ends[0]);
        pid = -1;
        error = program + ": " + std::strerror(result);
        return false;
    }
    output = ends[0];
    ::fcntl(output, F_SETFL, ::fcntl(output, F_GETFL) | O_NONBLOCK);
    partial.clear();
    return true;
}

bool CChildProcess::ReadAvailable(std::vector<std::string>& lines)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(output, buffer, sizeof buffer);
        if (got > 0) {
            partial.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        const bool open = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        for (std::size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1))
            lines.push_back(partial.substr(0, end));
        if (!open && !partial.empty()) {
            lines.push_back(partial);
            partial.clear();
        }
        return open;
    }
}

CChildProcess::Output CChildProcess::Poll()
{
    Output out;
    if (pid <= 0)
        return out;
    // The program may end with its last lines still in the pipe: it counts
    // as ended only once its end of the pipe is closed and all is read.
    if (output >= 0) {
        if (ReadAvailable(out.lines))
            return out;
        ::close(output);
        output = -1;
    }
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (reaped == 0)
        return out; // closed its output, still running: asked again next frame
    pid = -1;
    out.ended = true;
    out.exitStatus = reaped < 0 ? 1 : StatusOf(status);
    return out;
}

void CChildProcess::Stop()
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
    }
    if (output >= 0) {
        ::close(output);
        output = -1;
    }
}

} // namespace Korvale
