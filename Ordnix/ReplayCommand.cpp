#include "ReplayCommand.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>

#include <QDir>
#include <QImage>

#include "AppDelegate.h"
#include "FrameComposer.h"
#include "GifWriter.h"
#include "Ordnix.h"
#include "Recording.h"
#include "ReplayRun.h"
#include "ScreenDump.h"
#include "VirtualHost.h"

namespace ReplayCommand {

namespace {

constexpr std::array<WindowID, 3> windowIDs = {WindowID::field, WindowID::targets, WindowID::ballSpeed};

// A two-colour image (white 0, black 1): the same pixels as the grey dump image, written about ten
// times faster, which matters at one file per changed tick.
QImage monoImage(const std::vector<uint8_t>& frame) {
    QImage image(static_cast<int>(FrameComposer::width), static_cast<int>(FrameComposer::height), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int64_t y = 0; y < FrameComposer::height; ++y) {
        uchar* row = image.scanLine(static_cast<int>(y));
        for (int64_t x = 0; x < FrameComposer::width; ++x)
            if (frame[y * FrameComposer::width + x])
                row[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    }
    return image;
}

// The frames of a replay: one per tick on which any window's pixels changed, sampled as the
// desktop's 60 Hz refresh samples them (a bitmap snapshot, so XOR drawing undone within the tick
// still shows once), then written as PNG files and/or fed to the GIF.
class FrameSink {
public:
    FrameSink(const CommandLine& line) {
        if (!line.pngDirectory.isEmpty())
            pngDirectory_ = QDir(line.pngDirectory);
        if (!line.gifFile.isEmpty())
            gif_.emplace(line.gifFile.toStdString(), FrameComposer::width, FrameComposer::height);
    }

    bool wanted() const { return pngDirectory_ || gif_; }

    // Called whenever the recorded clock leaves `tick`.
    void sample(Ordnix& game, int64_t tick) {
        bool moved = false;
        for (size_t i = 0; i < windowIDs.size(); ++i) {
            const int64_t count = game.window(windowIDs[i]).port().bitmap.changeCount();
            moved = moved || count != seen_[i];
            seen_[i] = count;
        }
        if (moved)
            write(game, tick);
    }

    bool finish(int64_t endTick) {
        if (gif_ && !gif_->finish(endTick)) {
            error_ = gif_->error();
            return false;
        }
        return error_.empty();
    }
    const std::string& error() const { return error_; }

private:
    void write(Ordnix& game, int64_t tick) {
        if (!error_.empty())
            return;
        std::array<std::vector<uint8_t>, 3> pixels;
        {
            std::lock_guard guard(QuickDraw::screenLock());
            for (size_t i = 0; i < windowIDs.size(); ++i)
                pixels[i] = game.window(windowIDs[i]).port().bitmap.snapshot();
        }
        std::vector<FrameComposer::Layer> boxes;
        for (size_t i = 1; i < windowIDs.size(); ++i)
            if (game.window(windowIDs[i]).visible())
                boxes.push_back({windowIDs[i], pixels[i]});
        const std::vector<uint8_t> frame = FrameComposer::compose(pixels[0], boxes);
        ++frames_;
        if (pngDirectory_) {
            const QString name = pngDirectory_->filePath(QStringLiteral("frame-%1.png").arg(frames_, 6, 10, QLatin1Char('0')));
            if (!monoImage(frame).save(name, "PNG"))
                error_ = name.toStdString() + ": cannot write the frame";
        }
        if (gif_ && !gif_->addFrame(frame, tick))
            error_ = gif_->error();
    }

    std::optional<QDir> pngDirectory_;
    std::optional<GifWriter> gif_;
    std::array<int64_t, 3> seen_{};
    int64_t frames_ = 0;
    std::string error_;
};

bool makeDirectory(const QString& path, std::FILE* err) {
    if (QDir().mkpath(path))
        return true;
    std::fprintf(err, "ordnix: %s: cannot create the directory\n", path.toLocal8Bit().constData());
    return false;
}

} // namespace

int runHeadless(const CommandLine& line, std::FILE* out, std::FILE* err) {
    const std::string file = line.replayFile.toLocal8Bit().toStdString();
    Recording recording;
    try {
        recording = RecordingReader::readFile(file);
    } catch (const RecordingError& error) {
        std::fprintf(err, "ordnix: %s: byte %lld: %s\n", file.c_str(), static_cast<long long>(error.offset),
                     error.what());
        return 2;
    }
    for (const QString& directory : {line.finalDirectory, line.pngDirectory})
        if (!directory.isEmpty() && !makeDirectory(directory, err))
            return 2;

    FrameSink frames(line);
    Ordnix* game = nullptr;
    ReplayOptions options;
    // Readiness for menus is not part of the game's state: the display host keeps it for menus.txt.
    auto display = std::make_shared<VirtualHost>();
    options.display = display;
    if (frames.wanted())
        options.tickReached = [&](int64_t previous, int64_t) {
            if (game)
                frames.sample(*game, previous);
        };
    auto host = std::make_shared<ReplayHost>(recording, options);
    ReplayOutcome outcome;
    bool finalWritten = true;
    {
        Ordnix ordnix(host);
        game = &ordnix;
        outcome = ReplayRun::run(ordnix, *host, recording);
        if (frames.wanted())
            frames.sample(ordnix, host->currentTick());
        game = nullptr;
        if (!line.finalDirectory.isEmpty()) {
            std::vector<const Window*> shown;
            for (WindowID id : {WindowID::targets, WindowID::ballSpeed})
                if (ordnix.window(id).visible())
                    shown.push_back(&ordnix.window(id));
            if (!ScreenDump::write(QDir(line.finalDirectory), ordnix.window(WindowID::field), shown, host->menus(),
                                   display->readyForMenus()))
                finalWritten = false;
        }
    }
    if (!finalWritten) {
        std::fprintf(err, "ordnix: %s: cannot write the final screens\n", line.finalDirectory.toLocal8Bit().constData());
        return 2;
    }
    // The last frame stays up for a second.
    if (!frames.finish(host->currentTick() + 60)) {
        std::fprintf(err, "ordnix: %s\n", frames.error().c_str());
        return 2;
    }

    for (const std::string& note : outcome.notes)
        std::fprintf(err, "ordnix: %s: note: %s\n", file.c_str(), note.c_str());
    if (outcome.truncation)
        std::fprintf(err, "ordnix: %s: note: %s\n", file.c_str(), outcome.truncation->c_str());
    if (line.hashes) {
        for (const CheckpointResult& checkpoint : outcome.checkpoints)
            std::fprintf(out, "%lld %s\n", static_cast<long long>(checkpoint.recorded.tick),
                         ReplayRun::hashText(checkpoint.replayed).c_str());
        std::fprintf(out, "%s\n", outcome.status == ReplayOutcome::Status::exact ? "ok" : outcome.message.c_str());
    }
    if (outcome.status != ReplayOutcome::Status::exact)
        std::fprintf(err, "ordnix: %s: %s: %s\n", file.c_str(),
                     outcome.status == ReplayOutcome::Status::diverged ? "the replay diverged" : "checkpoint failed",
                     outcome.message.c_str());
    return outcome.exitStatus();
}

} // namespace ReplayCommand
