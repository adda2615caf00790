#include "transfer/background.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace korlink {
namespace {

// Host port -> the copy its background transfer runs on, for COMMXferCancel.
std::mutex g_copiesLock;
std::map<Port *, Port *> g_copies;

void registerCopy(Port &host, Port *copy) {
    std::lock_guard<std::mutex> guard(g_copiesLock);
    if (copy) g_copies[&host] = copy;
    else g_copies.erase(&host);
}

}  // namespace

void storeShared(bool &flag, bool value) {
    std::atomic_ref<bool>(flag).store(value, std::memory_order_release);
}

bool cancelBackground(Port &host) {
    // The worker unregisters its copy under this lock before freeing it.
    std::lock_guard<std::mutex> guard(g_copiesLock);
    auto found = g_copies.find(&host);
    if (found == g_copies.end()) return false;
    storeShared(found->second->cancelPending, true);
    return true;
}

bool startBackground(Port &host, std::function<void(Port &copy)> job,
                     std::function<void(Port &host)> finish) {
    // The copy is taken on the caller's thread, before the host can change
    // anything, and lives exactly as long as the worker's job.
    auto copy = std::make_unique<Port>(host);
    copy->backgroundLock = false;
    copy->callDepth = 0;  // the host's exports guard the host's object only
    storeShared(host.backgroundLock, true);
    Port *copyAddress = copy.get();
    addLive(copyAddress);
    registerCopy(host, copyAddress);
    try {
        std::thread worker([&host, copy = std::move(copy), job, finish]() mutable {
            job(*copy);
            registerCopy(host, nullptr);
            removeLive(copy.get());
            // Published before the lock drops (release): a poll that sees the
            // port free sees the outcome too.
            std::atomic_ref<int32_t>(host.lastError).store(copy->lastError, std::memory_order_relaxed);
            copy.reset();
            finish(host);
            storeShared(host.backgroundLock, false);
        });
        worker.detach();
        return true;
    } catch (const std::system_error &) {
        registerCopy(host, nullptr);
        removeLive(copyAddress);
        storeShared(host.backgroundLock, false);
        return false;
    }
}

}  // namespace korlink
