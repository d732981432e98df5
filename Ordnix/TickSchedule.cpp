#include "TickSchedule.h"

#include <algorithm>
#include <chrono>

int64_t TickSchedule::now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t TickSchedule::restart(int64_t origin) {
    origin_ = origin;
    index_ = 1;
    return waitUntil(origin);
}

int64_t TickSchedule::next(int64_t time) {
    ++index_;
    if (time - due() > maxLate)
        return restart(time);
    return waitUntil(time);
}

int64_t TickSchedule::due() const { return origin_ + index_ / 60 * 1'000'000 + (index_ % 60 * 1'000'000 + 59) / 60; }

int64_t TickSchedule::waitUntil(int64_t time) const { return std::max<int64_t>(0, (due() - time + 999) / 1000); }
