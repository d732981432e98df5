// TickSchedule: when the host's 60 Hz tick is due, against absolute deadlines.
//
// Tick n after the origin is due at the first microsecond of the n-th sixtieth of a second, so a
// late tick shortens the wait for the next one instead of pushing every later tick back: over a
// minute the count stays 3600 however late each single dispatch is. After a stall of more than
// `maxLate` (a suspended process, a debugger) the schedule starts afresh from the present instead
// of delivering the missed ticks in a burst.
#pragma once

#include <cstdint>

class TickSchedule {
public:
    static constexpr int64_t maxLate = 100'000; // microseconds

    // The steady clock in microseconds.
    static int64_t now();

    // Starts counting at `origin`; the first tick is due one sixtieth of a second later. Returns the
    // milliseconds to wait for it.
    int64_t restart(int64_t origin);
    // A tick ran at `time`: returns the whole milliseconds to wait for the next one (0 when it is due
    // already). Rounded up, so a timer never fires before the deadline.
    int64_t next(int64_t time);

private:
    int64_t waitUntil(int64_t time) const;
    int64_t due() const;

    int64_t origin_ = 0;
    int64_t index_ = 0; // the tick being waited for, counted from the origin
};
