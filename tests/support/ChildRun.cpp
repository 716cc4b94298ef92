#include "tests/support/ChildRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace gw::test {

namespace {

constexpr size_t kOutputKept = 16 * 1024;

// Reads what is there without blocking; false once the pipe is closed.
bool Drain(int fd, std::string& output) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            if (output.size() < kOutputKept) output.append(buf, std::min(size_t(n), kOutputKept - output.size()));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

} // namespace

std::string ChildOutcome::Describe() const {
    switch (end) {
    case End::Exited: return "exited with status " + std::to_string(code);
    case End::Signalled: return "killed by signal " + std::to_string(code) + " (" + strsignal(code) + ")";
    case End::TimedOut: return "still running after " + std::to_string(code) + " ms, killed";
    case End::NotStarted: return "could not be started: " + std::string(std::strerror(code));
    case End::Lost: return "ended without its status being seen: " + std::string(std::strerror(code));
    }
    return {};
}

ChildOutcome RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    ChildOutcome outcome;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.code = errno;
        return outcome;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawnattr_t attrs;
    posix_spawnattr_init(&attrs);
    // Its own process group, so a timeout kills whatever it started too.
    posix_spawnattr_setflags(&attrs, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attrs, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, args[0], &actions, &attrs, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attrs);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        outcome.code = spawned;
        return outcome;
    }
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);

    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool pipeOpen = true;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) {
            // Reaped elsewhere (SIGCHLD ignored): how it ended is unknown, which
            // is no pass.
            outcome.end = ChildOutcome::End::Lost;
            outcome.code = errno;
            ::close(pipeFds[0]);
            return outcome;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(-pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (pipeOpen) Drain(pipeFds[0], outcome.output);
            ::close(pipeFds[0]);
            outcome.end = ChildOutcome::End::TimedOut;
            outcome.code = int(limit.count());
            return outcome;
        }
        if (pipeOpen) {
            pollfd p{pipeFds[0], POLLIN, 0};
            if (::poll(&p, 1, int(std::min<int64_t>(left.count(), 20))) > 0) pipeOpen = Drain(pipeFds[0], outcome.output);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (pipeOpen) Drain(pipeFds[0], outcome.output);
    ::close(pipeFds[0]);
    if (WIFSIGNALED(status)) {
        outcome.end = ChildOutcome::End::Signalled;
        outcome.code = WTERMSIG(status);
    } else {
        outcome.end = ChildOutcome::End::Exited;
        outcome.code = WEXITSTATUS(status);
    }
    return outcome;
}

} // namespace gw::test
