#include "cli/WorkerProcesses.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

namespace gw::cli {
namespace {

// An item handed to a worker waits there with at most this many others, so
// a slow item holds back few; results come back in batches of at most this
// many, or of about kBatchBytes. Items are handed to a worker only while the
// files it holds are smaller than kHeldFileBytes together: a large file is
// held alone, and the files after it go to a worker that will reach them.
constexpr size_t kHeldPerWorker = 16;
constexpr uint64_t kHeldFileBytes = uint64_t(4) << 20;
// A worker sends its results once fewer items than this are left to it:
// the parent hands out more while it works through them.
constexpr size_t kLowWater = kHeldPerWorker / 2;
constexpr size_t kBatchBytes = 1 << 20;
// Results finished but held back for a slower item before them: past this
// many bytes no more items are handed out until it is said.
constexpr size_t kMaxHeldResultBytes = size_t(64) << 20;
constexpr size_t kReadChunk = 1 << 16;
constexpr size_t kResultHead = 17; // out length, err length (8 bytes each), ok

void PutU64(std::string& s, uint64_t v) { s.append(reinterpret_cast<const char*>(&v), sizeof v); }

uint64_t GetU64(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool SendAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// A worker answers items, in the order given, until the parent closes its
// end. It takes in every item that has come before it starts the next one,
// and sends its results back together once few items are left to it (or the
// batch is full): the parent then hands out more while the worker is still
// busy, and neither side wakes the other for every item. Nothing here
// writes to the standard streams.
[[noreturn]] void Serve(int socket, const WorkerPlan& plan) {
    std::string inbox, pending;
    std::deque<std::string> items;
    size_t pendingCount = 0;
    bool closed = false;
    // Reads what has come; waits for something when wait is set.
    const auto take = [&](bool wait) {
        char chunk[kReadChunk];
        for (;;) {
            const ssize_t n = recv(socket, chunk, sizeof chunk, wait ? 0 : MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                closed = closed || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                return;
            }
            inbox.append(chunk, size_t(n));
            size_t used = 0;
            while (inbox.size() - used >= 8 && inbox.size() - used - 8 >= GetU64(inbox.data() + used)) {
                const uint64_t length = GetU64(inbox.data() + used);
                items.emplace_back(inbox.data() + used + 8, length);
                used += 8 + length;
            }
            inbox.erase(0, used);
            wait = false;
        }
    };
    for (;;) {
        if (items.empty()) {
            if (closed) _exit(0);
            take(true);
            continue;
        }
        const std::string item = std::move(items.front());
        items.pop_front();
        WorkResult result;
        try {
            result = plan.work(item);
        } catch (...) {
            _exit(1); // the parent says the item was lost
        }
        PutU64(pending, result.out.size());
        PutU64(pending, result.err.size());
        pending.push_back(result.ok ? 1 : 0);
        pending += result.out;
        pending += result.err;
        ++pendingCount;
        if (!closed) take(false);
        if (items.size() >= kLowWater && pendingCount < kHeldPerWorker && pending.size() < kBatchBytes) continue;
        if (!SendAll(socket, pending)) _exit(0);
        pending.clear();
        pendingCount = 0;
    }
}

struct Worker {
    pid_t pid = -1;
    int socket = -1; // the parent's end
    std::string inbox;
    std::deque<std::pair<uint64_t, std::string>> held; // number and item, in the order handed out
    std::deque<uint64_t> heldSizes;                    // the items' file sizes
    uint64_t heldBytes = 0;

    bool Ready() const { return pid > 0 && (held.empty() || (held.size() < kHeldPerWorker && heldBytes < kHeldFileBytes)); }
    void Hold(uint64_t number, std::string item, uint64_t size) {
        held.emplace_back(number, std::move(item));
        heldSizes.push_back(size);
        heldBytes += size;
    }
    void Release() {
        held.pop_front();
        heldBytes -= heldSizes.front();
        heldSizes.pop_front();
    }
    void ReleaseAll() {
        held.clear();
        heldSizes.clear();
        heldBytes = 0;
    }
};

// Starts a worker in place of w. Every other worker's socket is closed in
// the child: a copy held there would keep that worker from seeing its end.
bool Start(Worker& w, const std::vector<Worker>& all, const WorkerPlan& plan) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (pid == 0) {
        for (const Worker& other : all)
            if (other.socket >= 0) close(other.socket);
        close(ends[0]);
        Serve(ends[1], plan);
    }
    close(ends[1]);
    w.pid = pid;
    w.socket = ends[0];
    w.inbox.clear();
    w.ReleaseAll();
    return true;
}

std::string EndText(int status) {
    if (WIFSIGNALED(status)) return std::string("the reading process ended on ") + strsignal(WTERMSIG(status));
    return "the reading process ended (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// One item read from the list: its place in the list and the size of the
// file it names.
struct Item {
    uint64_t number = 0;
    uint64_t size = 0;
    std::string name;
    bool operator<(const Item& o) const { return size != o.size ? size < o.size : number > o.number; }
};

uint64_t FileSize(const std::string& name) {
    struct stat st {};
    return stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
}

// The items, read on a thread of their own: a list that comes slowly down a
// pipe keeps no finished result from being said. The thread reads at most a
// window ahead of the next item to be said, and wakes the parent's poll
// through a pipe. The largest file read and not yet taken is taken first.
class ItemFeed {
public:
    ItemFeed(const std::function<bool(std::string&)>& next, size_t window) : m_window(window) {
        if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
        m_thread = std::thread([this, &next] { Read(next); });
    }
    ~ItemFeed() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_room.notify_all();
        m_thread.join(); // a read blocked on a slow list ends with the list
        if (m_wake[0] >= 0) close(m_wake[0]);
        if (m_wake[1] >= 0) close(m_wake[1]);
    }
    int WakeFd() const { return m_wake[0]; }

    enum class Take { Item, Later, Ended };
    // Ended comes once every item is taken; count is then the number of items.
    Take TryTake(Item& item, uint64_t& count) {
        char drain[64];
        while (m_wake[0] >= 0 && read(m_wake[0], drain, sizeof drain) > 0) {
        }
        std::lock_guard lock(m_mutex);
        if (!m_items.empty()) {
            item = m_items.top();
            m_items.pop();
            return Take::Item;
        }
        count = m_read;
        return m_ended ? Take::Ended : Take::Later;
    }

    // Every item before this one has been said.
    void Said(uint64_t said) {
        {
            std::lock_guard lock(m_mutex);
            m_said = said;
        }
        m_room.notify_one();
    }

private:
    void Read(const std::function<bool(std::string&)>& next) {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_room.wait(lock, [&] { return m_stopping || m_read < m_said + m_window; });
                if (m_stopping) return;
            }
            Item item;
            const bool more = next(item.name);
            if (more) item.size = FileSize(item.name);
            {
                std::lock_guard lock(m_mutex);
                if (more) {
                    item.number = m_read++;
                    m_items.push(std::move(item));
                } else {
                    m_ended = true;
                }
            }
            if (m_wake[1] >= 0) (void)!write(m_wake[1], "", 1);
            if (!more) return;
        }
    }

    size_t m_window;
    int m_wake[2] = {-1, -1};
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::priority_queue<Item> m_items;
    uint64_t m_read = 0; // items read from the list
    uint64_t m_said = 0;
    bool m_ended = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace

bool RunInWorkerProcesses(const WorkerPlan& plan) {
    std::vector<Worker> workers(std::max(1u, plan.processes));
    for (Worker& w : workers)
        if (!Start(w, workers, plan)) break;
    if (workers.front().pid < 0) return false;
    std::erase_if(workers, [](const Worker& w) { return w.pid < 0; });

    std::map<uint64_t, WorkResult> finished;
    size_t finishedBytes = 0; // held back for a slower item before them
    uint64_t said = 0, count = 0;
    bool listEnded = false;
    ItemFeed feed(plan.next, std::max<size_t>(plan.window, 1));
    std::vector<std::string> outbox(workers.size()); // items for each worker, sent together

    const auto finish = [&](uint64_t number, WorkResult r) {
        finishedBytes += r.out.size() + r.err.size();
        finished[number] = std::move(r);
    };
    const auto reap = [&](Worker& w) {
        close(w.socket);
        w.socket = -1;
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        w.pid = -1;
        for (auto& [number, item] : w.held) finish(number, plan.lost(item, EndText(status)));
        w.ReleaseAll();
        if (!Start(w, workers, plan)) w.pid = -1;
    };
    const auto idleWorker = [&]() -> Worker* {
        Worker* idle = nullptr;
        for (Worker& w : workers)
            if (w.Ready() && (!idle || w.heldBytes < idle->heldBytes)) idle = &w;
        return idle;
    };

    for (;;) {
        // Hand out items to the least busy worker, while the results held
        // back stay within bounds.
        bool feedEmpty = false; // the feed had no item ready just now
        while (!listEnded && finishedBytes < kMaxHeldResultBytes) {
            Worker* idle = idleWorker();
            if (!idle) break;
            Item item;
            const ItemFeed::Take took = feed.TryTake(item, count);
            if (took == ItemFeed::Take::Later) {
                feedEmpty = true;
                break;
            }
            if (took == ItemFeed::Take::Ended) {
                listEnded = true;
                break;
            }
            std::string& box = outbox[size_t(idle - workers.data())];
            PutU64(box, item.name.size());
            box += item.name;
            idle->Hold(item.number, std::move(item.name), item.size);
        }
        for (size_t i = 0; i < workers.size(); ++i) {
            if (outbox[i].empty()) continue;
            (void)SendAll(workers[i].socket, outbox[i]); // a worker that is gone is found by its read
            outbox[i].clear();
        }
        // No worker left at all: what remains is lost.
        if (!listEnded && std::none_of(workers.begin(), workers.end(), [](const Worker& w) { return w.pid > 0; })) {
            Item item;
            ItemFeed::Take took;
            while ((took = feed.TryTake(item, count)) != ItemFeed::Take::Ended)
                if (took == ItemFeed::Take::Item)
                    finish(item.number, plan.lost(item.name, "no reading process could be started"));
            listEnded = true;
        }
        const uint64_t saidBefore = said;
        for (auto it = finished.find(said); it != finished.end(); it = finished.find(said)) {
            plan.say(it->second);
            finishedBytes -= it->second.out.size() + it->second.err.size();
            finished.erase(it);
            ++said;
        }
        if (said != saidBefore) feed.Said(said);
        if (listEnded && said == count) break;

        std::vector<pollfd> fds;
        std::vector<Worker*> polled;
        for (Worker& w : workers) {
            if (w.pid > 0 && !w.held.empty()) {
                fds.push_back({w.socket, POLLIN, 0});
                polled.push_back(&w);
            }
        }
        // The feed is listened to only when an item would be taken now: its
        // wake-ups while every worker is busy would only spin this loop.
        const bool wantItem = !listEnded && finishedBytes < kMaxHeldResultBytes && idleWorker();
        if (wantItem && !feedEmpty) continue; // saying made room: take items first
        if (wantItem && feed.WakeFd() >= 0) fds.push_back({feed.WakeFd(), POLLIN, 0});
        if (fds.empty() && !wantItem) continue;
        if (poll(fds.data(), fds.size(), wantItem && feed.WakeFd() < 0 ? 10 : -1) < 0 && errno != EINTR) break;
        for (size_t i = 0; i < polled.size(); ++i) {
            if (!fds[i].revents) continue;
            Worker& w = *polled[i];
            char chunk[kReadChunk];
            const ssize_t n = recv(w.socket, chunk, sizeof chunk, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) {
                reap(w);
                continue;
            }
            w.inbox.append(chunk, size_t(n));
            size_t used = 0;
            while (w.inbox.size() - used >= kResultHead && !w.held.empty()) {
                const char* head = w.inbox.data() + used;
                const uint64_t outSize = GetU64(head), errSize = GetU64(head + 8);
                if (w.inbox.size() - used - kResultHead < outSize + errSize) break;
                WorkResult r;
                r.ok = head[16] != 0;
                r.out.assign(head + kResultHead, outSize);
                r.err.assign(head + kResultHead + outSize, errSize);
                finish(w.held.front().first, std::move(r));
                w.Release();
                used += kResultHead + outSize + errSize;
            }
            w.inbox.erase(0, used);
        }
    }
    for (Worker& w : workers) {
        if (w.pid <= 0) continue;
        close(w.socket);
        while (waitpid(w.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    return true;
}

} // namespace gw::cli
