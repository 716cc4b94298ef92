#include "thumbnailer/Limits.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GW_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define GW_ADDRESS_SANITIZER 1
#endif

namespace gw {

namespace {

// Lowers a limit, never raising one already set lower.
bool Lower(int resource, rlim_t soft, rlim_t hard) {
    rlimit now{};
    if (::getrlimit(resource, &now) != 0) return false;
    rlimit next{};
    next.rlim_max = now.rlim_max == RLIM_INFINITY ? hard : std::min(now.rlim_max, hard);
    next.rlim_cur = std::min(next.rlim_max, now.rlim_cur == RLIM_INFINITY ? soft : std::min(now.rlim_cur, soft));
    return ::setrlimit(resource, &next) == 0;
}

} // namespace

bool LimitThumbnailer(uint64_t inputSize) {
    bool ok = true;
#ifndef GW_ADDRESS_SANITIZER
    const uint64_t memory = kThumbnailerMemoryBytes + std::min<uint64_t>(inputSize, uint64_t(1) << 40);
    ok = Lower(RLIMIT_AS, rlim_t(memory), rlim_t(memory)) && ok;
#else
    (void)inputSize;
#endif
    ok = Lower(RLIMIT_CPU, kThumbnailerCpuSeconds, kThumbnailerCpuSeconds + 1) && ok;
    // Nothing to dump: a crash on a hostile file leaves no core behind.
    ok = Lower(RLIMIT_CORE, 0, 0) && ok;
    ::alarm(kThumbnailerWallSeconds);
    return ok;
}

void ShieldOutputWrite() {
    ::alarm(0);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGALRM);
    sigaddset(&set, SIGXCPU);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

} // namespace gw
