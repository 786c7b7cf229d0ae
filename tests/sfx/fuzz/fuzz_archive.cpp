// Fuzz target: the archive walk. The input is the ZIP part of a
// self-extracting file; the stub extracts it into an in-memory folder with
// the password "pw", answering every question with its first button. The
// first byte picks the test setting, the spanned flag, overwrite questions
// and a total size of all ones (4 GiB or more: the stub sums the directory). Nothing may crash,
// hang, or write outside the folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sfx/core/sfx.h"
#include "tests/sfx/sfx_test_support.h"

using namespace gm::sfx;
using namespace gm::sfx::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    Bytes file(64, 0x90);
    file.insert(file.end(), data + 1, data + size);
    SfxConfig config;
    config.zipOffset = 64;
    config.totalSize = (mode & 8) ? 0xFFFFFFFFu : 1u << 20;  // all ones: summed by the stub
    config.complete = kCompleteMark;
    config.flags2 = (mode & 2) ? kF2Spanned : 0;
    FakeClock clock;
    FakeUi ui(clock);
    // A user who answers with the first button, but not for ever: a disk
    // that never comes is cancelled after a while.
    int answers = 0;
    ui.answer = [&answers](const Message& m) {
        const bool giveUp = ++answers > 20;
        switch (m.buttons) {
            case Buttons::OkCancel:
                return giveUp ? Answer::Cancel : Answer::Ok;
            case Buttons::YesNo:
            case Buttons::YesNoCancel:
                return giveUp ? Answer::No : Answer::Yes;
            case Buttons::AbortRetryIgnore:
                return giveUp ? Answer::Abort : Answer::Retry;
            default:
                return Answer::Ok;
        }
    };
    FakeHost host(clock);
    host.fs.writeLimit = 16u << 20;
    FakeSource source(file);
    if (mode & 2) {
        FakeSource::Disk disk;
        disk.label = "PKBACK# 001";
        disk.exe = file;
        disk.zip = Bytes(data + 1, data + size);
        source.disks = {disk, disk};
        source.disks[1].label = "PKBACK# 002";
    }
    Sfx sfx(ui, host, source);
    if (!sfx.startUp("", config)) return 0;
    host.createUnpackFolder("/tmp/KRSE1.tmp");
    sfx.setFolder("/tmp/KRSE1.tmp");
    sfx.setPassword("pw");
    sfx.testSetting = (mode & 1) != 0;
    sfx.overwriteWithoutAsking = (mode & 4) == 0;
    sfx.extract();
    for (const auto& [path, bytes] : host.fs.files)
        if (path.rfind("/tmp/KRSE1.tmp/", 0) != 0) std::abort();
    for (const std::string& path : host.fs.folders)
        if (path != "/tmp" && path.rfind("/tmp/KRSE1.tmp", 0) != 0) std::abort();
    return 0;
}
