// `ordnix replay FILE --final/--png/--hashes` on a recorded scripted session and on damaged copies.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "CommandLine.h"
#include "Ordnix.h"
#include "Recording.h"
#include "RecordingHost.h"
#include "ReplayCommand.h"
#include "ReplayRun.h"
#include "ScreenView.h"
#include "ScriptedHost.h"

namespace {

std::vector<uint8_t> readBytes(const QString& path) {
    std::ifstream file(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void writeBytes(const QString& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
}

// A stream whose text is kept in memory.
struct Captured {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    std::string take() {
        std::fclose(file);
        std::string taken(text, size);
        std::free(text);
        return taken;
    }
};

struct Outcome {
    int status = -1;
    std::string out, err;
};

// The command as main() runs it, with its standard output and error captured.
Outcome replay(const QStringList& arguments) {
    Captured out, err;
    const CommandLine line = CommandLine::parse(QStringList{"ordnix", "replay"} + arguments);
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    const int status = ReplayCommand::runHeadless(line, out.file, err.file);
    return {status, out.take(), err.take()};
}

// The recording's calls and checkpoints written anew, each call changed by `change`.
std::vector<uint8_t> rewrite(const std::vector<uint8_t>& bytes, const std::function<void(HostEvent&)>& change,
                             const std::vector<HostEvent>& extra = {}) {
    const Recording original = RecordingReader::read(bytes);
    RecordingWriter writer(original.header);
    RecordingCursor cursor(original);
    while (const std::optional<StreamItem> item = cursor.next()) {
        HostEvent event = item->event;
        change(event);
        if (item->kind == StreamItem::Kind::call)
            for (int64_t i = 0; i < item->repeat; ++i)
                writer.append(event);
        else if (item->kind == StreamItem::Kind::checkpoint)
            writer.checkpoint(item->checkpoint);
    }
    for (const HostEvent& event : extra)
        writer.append(event);
    writer.finish();
    return writer.bytes();
}

// A short session recorded through the recording host over the scripted one: a battle with one
// shot, stopped, then the game's Quit.
struct Session {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    std::shared_ptr<RecordingHost> recorder;
    std::unique_ptr<Ordnix> game;

    explicit Session(const QString& path) {
        host->setRandSeed(4242);
        host->setIdleMicroseconds(4000);
        recorder = std::make_shared<RecordingHost>(host, path.toStdString());
        game = std::make_unique<Ordnix>(recorder);
        host->chooseMenu(262, 1); // START A BATTLE
        host->waitTicks(30);
        host->clickAt(WindowID::field, 6 + 89 + 40 - 10, 290); // powder 40
        host->waitTicks(30);
        host->clickAt(WindowID::field, 6 + 215, 298); // Fire
        host->waitTicks(400);
        host->chooseMenu(262, 2); // STOP A BATTLE
        host->waitTicks(60);
        host->quit();
        EXPECT_TRUE(host->run([&] { game->run(); }));
        recorder->finish();
    }
};

TEST(ReplayCommand, ReplaysARecordedSessionExactlyAndRejectsDamagedFiles) {
    QTemporaryDir directory;
    const QString file = directory.filePath("session.rec");
    Session session(file);
    const std::string name = file.toStdString();

    // The replay passes every checkpoint the recording took and ends where the game ended.
    const QString final = directory.filePath("final"), frames = directory.filePath("frames");
    const Outcome exact = replay({file, "--hashes", "--final", final, "--png", frames});
    EXPECT_EQ(exact.status, 0) << exact.err;
    std::string expected;
    for (const Checkpoint& checkpoint : session.recorder->checkpoints())
        expected += std::to_string(checkpoint.tick) + " " + ReplayRun::hashText(checkpoint.hash) + "\n";
    EXPECT_EQ(exact.out, expected + "ok\n");

    // --final: the dump of the game's last field.
    const QImage live = ScreenView::image(session.game->window(WindowID::field).port().bitmap.bits(), 512, 322);
    EXPECT_EQ(QImage(QDir(final).filePath("field.png")), live);
    // --png: numbered frames from 1, the last one the final field.
    const QStringList pngs = QDir(frames).entryList({"frame-*.png"}, QDir::Files, QDir::Name);
    ASSERT_GE(pngs.size(), 10);
    EXPECT_EQ(pngs.first(), "frame-000001.png");
    EXPECT_EQ(QImage(QDir(frames).filePath(pngs.last())).convertToFormat(QImage::Format_Grayscale8), live);

    // Damaged copies. The header: magic (8 bytes), version (2), length, fields, checksum; then chunks.
    const std::vector<uint8_t> bytes = readBytes(file);
    const size_t firstChunk = std::string(bytes.begin(), bytes.end()).find("CHNK");
    ASSERT_NE(firstChunk, std::string::npos);

    std::vector<uint8_t> version = bytes, header = bytes, flipped = bytes, cut(bytes.begin(), bytes.end() - 3);
    version[8] = 7;
    header[16] ^= 1;
    flipped[firstChunk + 16 + 5] ^= 0x10;
    // An answer no host gives (a dialog hit on item 0) is damage too: the game would trip over it.
    RecordingWriter impossible(RecordingReader::read(bytes).header);
    impossible.append({HostOp::tickCount, 0, 9});
    impossible.flush();
    impossible.append({HostOp::modalDialog, 1000, 0});
    impossible.finish();
    // The same stream, but the start-up clock the game read is one second later: another random seed.
    const std::vector<uint8_t> reseeded = rewrite(bytes, [](HostEvent& event) {
        if (event.op != HostOp::secondsSince1970)
            return;
        double clock = 0;
        std::memcpy(&clock, &event.result, sizeof clock);
        clock += 1;
        std::memcpy(&event.result, &clock, sizeof clock);
    });

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int status;
        std::string message; // in standard error
    };
    const std::vector<Case> cases = {
        {"empty", {}, 2, name + ": byte 0: not an Ordnix recording"},
        {"wrong version", version, 2, name + ": byte 8: format version 7"},
        {"impossible answer", impossible.bytes(), 2, "dialog item out of range"},
        {"header", header, 2, name + ": byte " + std::to_string(firstChunk - 4) + ": header checksum"},
        {"bit flipped", flipped, 2, name + ": byte " + std::to_string(firstChunk + 16) + ": chunk checksum"},
        {"cut off", cut, 0, name + ": note: the file ends inside the chunk at byte "},
        {"reseeded", reseeded, 3, name + ": checkpoint failed: checkpoint 1 (battle start"},
        {"longer than the game", rewrite(bytes, [](HostEvent&) {}, {{HostOp::sysBeep}}), 3,
         "the game ended, the recording expected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(file, c.bytes);
        const Outcome run = replay({file, "--hashes"});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    }
    // A file that is not there, or an output that cannot be written, is bad input too.
    EXPECT_EQ(replay({directory.filePath("missing.rec"), "--hashes"}).status, 2);
    writeBytes(file, bytes);
    QFile blocker(directory.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString option : {"--final", "--png", "--gif"}) {
        const Outcome unwritable = replay({file, option, directory.filePath(option == "--gif" ? "blocker/x.gif" : "blocker")});
        EXPECT_EQ(unwritable.status, 2) << option.toStdString();
        EXPECT_NE(unwritable.err.find("blocker"), std::string::npos) << unwritable.err;
    }
}

} // namespace
