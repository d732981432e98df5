// Writes small recordings into the directory given as the first argument: seeds for the fuzz target
// that reach every item kind, a chunk boundary, a cut chunk and a file without its end item.
#include <bit>
#include <fstream>
#include <string>

#include "Recording.h"

namespace {

void save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

void session(RecordingWriter& w) {
    w.append({HostOp::secondsSince1970, 0, std::bit_cast<int64_t>(1.0e9)});
    w.append({HostOp::showWindow, 256});
    w.append({HostOp::menusChanged, 12345});
    for (int64_t tick = 0; tick < 3; ++tick) {
        for (int i = 0; i < 5; ++i) {
            w.append({HostOp::tickCount, 0, tick});
            w.append({HostOp::button, 0, i == 4 ? 1 : 0});
            w.append({HostOp::mouse, 256, 100 + tick, -3});
            w.append({HostOp::takeMenuChoice, 0, 0, 0});
            w.append({HostOp::idle});
        }
    }
    w.append({HostOp::takeMenuChoice, 0, 262 << 16 | 1, 1});
    w.checkpoint({CheckpointKind::battleStart, 3, 0x0123456789ABCDEFull});
    w.append({HostOp::spin, 20000});
    w.append({HostOp::alert, 1001, 1});
    w.append({HostOp::openDialog, 1000});
    w.append({HostOp::modalDialog, 1000, 3});
    w.append({HostOp::closeDialog, 1000});
    w.append({HostOp::soundVolume, 0, 3});
    w.append({HostOp::playSound, 128});
    w.append({HostOp::soundDone, 0, 0});
    w.checkpoint({CheckpointKind::battleEnd, 9, 42});
    w.flush();
    w.append({HostOp::setReadyForMenus, 1});
    w.append({HostOp::setCursor, 2});
    w.append({HostOp::showCursor, 0});
    w.append({HostOp::sysBeep});
    w.checkpoint({CheckpointKind::sessionEnd, 10, 7});
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    RecordingHeader header{recordingFormatVersion, "1.0", 1.0e9, "DejaVu Sans Book", 99};
    RecordingWriter complete(header);
    session(complete);
    complete.finish();
    save(dir + "/complete.rec", complete.bytes());
    std::vector<uint8_t> cut = complete.bytes();
    cut.resize(cut.size() - 5);
    save(dir + "/cut.rec", cut);
    RecordingWriter closed(header);
    session(closed);
    closed.interrupted(HostOp::mouse, 256);
    closed.checkpoint({CheckpointKind::sessionEnd, 10, 8});
    closed.finish();
    save(dir + "/ended-in-call.rec", closed.bytes());
    RecordingWriter open(header);
    session(open);
    open.flush();
    save(dir + "/no-end.rec", open.bytes());
    save(dir + "/header-only.rec", RecordingFormat::encodeHeader(header));
    return 0;
}
