#include "GameThread.h"

#include <memory>

#include <pthread.h>

namespace GameThread {

namespace {

struct Start {
    std::function<void()> body;
    std::string name;
};

void* runThread(void* argument) {
    std::unique_ptr<Start> start(static_cast<Start*>(argument));
    // The kernel keeps at most 15 characters of a thread name.
    pthread_setname_np(pthread_self(), start->name.substr(0, 15).c_str());
    start->body();
    return nullptr;
}

} // namespace

bool start(std::function<void()> body, const std::string& threadName, size_t stackBytes) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    auto start = std::make_unique<Start>(Start{std::move(body), threadName});
    pthread_t thread;
    const bool made = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                      pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                      pthread_create(&thread, &attributes, runThread, start.get()) == 0;
    pthread_attr_destroy(&attributes);
    if (made)
        (void)start.release(); // the thread owns it now
    return made;
}

} // namespace GameThread
