#include "SessionFacts.h"

#include <fstream>
#include <mutex>

#include "QuickDraw.h"

namespace {

constexpr uint64_t fnvOffset = 14695981039346656037ull;
constexpr uint64_t fnvPrime = 1099511628211ull;

uint64_t fnv(uint64_t h, const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i)
        h = (h ^ data[i]) * fnvPrime;
    return h;
}

size_t slot(WindowID id) { return static_cast<size_t>(rawValue(id) - rawValue(WindowID::field)); }

FaceIdentity lookUpFace() {
    FaceIdentity face{"none", 0};
    const QuickDraw::TextRenderer::ResolvedFace resolved = QuickDraw::TextRenderer::resolvedFace();
    if (resolved.path.empty())
        return face;
    face.name = resolved.name.empty() ? "unnamed" : resolved.name;
    std::ifstream file(resolved.path, std::ios::binary);
    if (file) {
        uint64_t h = fnvOffset;
        char buffer[65536];
        while (file.read(buffer, sizeof buffer) || file.gcount() > 0)
            h = fnv(h, reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(file.gcount()));
        face.hash = h;
    }
    return face;
}

} // namespace

void WindowSet::note(const Window& window) { windows_[slot(window.id())] = &window; }

const Window* WindowSet::window(WindowID id) const { return windows_[slot(id)]; }

uint64_t WindowSet::hash() const {
    uint64_t h = fnvOffset;
    std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
    for (const Window* window : windows_) {
        if (window == nullptr)
            continue;
        const uint64_t id = static_cast<uint64_t>(rawValue(window->id()));
        h = fnv(h, reinterpret_cast<const uint8_t*>(&id), sizeof id);
        const std::span<const uint8_t> pixels = window->port().bitmap.pixels();
        h = fnv(h, pixels.data(), pixels.size());
    }
    return h;
}

const FaceIdentity& resolvedFace() {
    static const FaceIdentity face = lookUpFace();
    return face;
}

const char* ordnixGameVersion() { return ORDNIX_GAME_VERSION; }
