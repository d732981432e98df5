#include "LiveStream.h"

#include <algorithm>

void StreamTap::append(std::span<const uint8_t> bytes) {
    std::function<void()> grew;
    {
        std::lock_guard guard(mutex_);
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        grew = grew_;
    }
    if (grew)
        grew();
}

void StreamTap::setGrew(std::function<void()> grew) {
    std::lock_guard guard(mutex_);
    grew_ = std::move(grew);
}

std::vector<uint8_t> StreamTap::read(uint64_t offset, size_t max) const {
    std::lock_guard guard(mutex_);
    if (offset >= bytes_.size())
        return {};
    const size_t n = std::min<size_t>(max, bytes_.size() - offset);
    const auto from = bytes_.begin() + static_cast<std::ptrdiff_t>(offset);
    return std::vector<uint8_t>(from, from + static_cast<std::ptrdiff_t>(n));
}

uint64_t StreamTap::size() const {
    std::lock_guard guard(mutex_);
    return bytes_.size();
}

void LiveFeed::push(std::span<const uint8_t> bytes) {
    {
        std::lock_guard guard(mutex_);
        if (closed_)
            return;
        incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
        received_ += bytes.size();
    }
    arrived_.notify_all();
}

void LiveFeed::close(std::optional<std::string> reason) {
    {
        std::lock_guard guard(mutex_);
        closed_ = true;
        if (reason && !failure_)
            failure_ = std::move(reason);
        if (failure_)
            incoming_.clear();
    }
    arrived_.notify_all();
}

uint64_t LiveFeed::received() const {
    std::lock_guard guard(mutex_);
    return received_;
}

std::optional<std::string> LiveFeed::failure() const {
    std::lock_guard guard(mutex_);
    return failure_;
}

bool LiveFeed::waitForMore(const std::function<void()>& poll) {
    for (;;) {
        std::vector<uint8_t> bytes;
        bool closed = false;
        {
            std::unique_lock guard(mutex_);
            arrived_.wait_for(guard, pollInterval, [&] { return !incoming_.empty() || closed_; });
            bytes.swap(incoming_);
            closed = closed_;
        }
        if (!bytes.empty()) {
            try {
                if (reader_.feed(bytes, recording_))
                    return true;
            } catch (const RecordingError& error) {
                close("the host's stream is damaged at byte " + std::to_string(error.offset) + ": " + error.what());
                return false;
            }
        }
        if (closed)
            return false;
        if (poll)
            poll();
    }
}
