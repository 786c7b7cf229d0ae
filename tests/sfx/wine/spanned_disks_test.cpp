// sfx_spanned_disks_test.exe: a spanned set read from drive A: by the core
// through the Windows backend, under Wine, for spanned_disks_test.py.
//
//   sfx_spanned_disks_test A:\SETUP.EXE OUTPUT_FOLDER
//
// Start-up and one extraction run into OUTPUT_FOLDER (which must not exist
// yet), with the configuration of SETUP.EXE's record. Every message box is
// one line on standard output, "box BUTTONS TEXT" (line ends in the text as
// blanks); the answer is the next line of standard input ("ok", "cancel",
// "retry", ...), given after the script has put the next disk into A:.
// Last line: "outcome N" (0 all done, 1 cancelled, 2 failed), also the exit
// code.
//
// Wine reads a drive's label once, when it sets the drive up, and not again
// when A: is pointed at another folder. So the label is read here from the
// file Wine takes it from, A:\.windows-label, on every call; everything else
// is the real backend.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sfx/core/sfx.h"
#include "sfx/mksfx/sfx_file.h"
#include "sfx/win32/win32_host.h"

namespace {

using namespace gm::sfx;

class RelabelledSource final : public ArchiveSource {
  public:
    explicit RelabelledSource(Win32ArchiveSource& real) : real_(real) {}
    bool open(Which which) override { return real_.open(which); }
    void close() override { real_.close(); }
    bool seek(uint64_t offset) override { return real_.seek(offset); }
    long read(uint8_t* buffer, size_t size) override { return real_.read(buffer, size); }
    uint64_t size() override { return real_.size(); }
    const char* path() const override { return real_.path(); }
    const char* drive() const override { return real_.drive(); }

    // The first line of the label file in the drive's root.
    bool readVolumeLabel(char* label, size_t capacity) override {
        char name[32];
        std::snprintf(name, sizeof name, "%s\\.windows-label", real_.drive());
        HANDLE h =
            CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD got = 0;
        const bool ok = ReadFile(h, label, static_cast<DWORD>(capacity - 1), &got, nullptr);
        CloseHandle(h);
        label[got] = '\0';
        label[std::strcspn(label, "\r\n")] = '\0';
        return ok;
    }

  private:
    Win32ArchiveSource& real_;
};

// Message boxes go to the script; nothing else is shown.
class ScriptUi final : public SfxUi {
  public:
    Answer messageBox(const char* text, const char*, Buttons buttons, Icon, int) override {
        static const char* const kButtons[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel",
                                               "AbortRetryIgnore"};
        std::string line = text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::printf("box %s %s\n", kButtons[static_cast<int>(buttons)], line.c_str());
        std::fflush(stdout);
        char answer[32] = {};
        if (!std::fgets(answer, sizeof answer, stdin)) return Answer::Cancel;
        static const char* const kAnswers[] = {"ok",    "cancel", "yes",   "no",
                                               "abort", "retry",  "ignore"};
        for (int i = 0; i < 7; ++i)
            if (!std::strncmp(answer, kAnswers[i], std::strlen(kAnswers[i])))
                return static_cast<Answer>(i);
        return Answer::Cancel;
    }
    void openDialog(const char*, const char*, const char*, bool) override {}
    Command waitCommand() override { return Command::Close; }
    Command pump(unsigned) override { return Command::None; }
    void setSetupButton(const char*, bool, bool) override {}
    void setStatus(const char*) override {}
    void showMeter(bool) override {}
    void setMeter(unsigned, const char*) override {}
    void setBusy(bool) override {}
    bool askPassword(char*, size_t) override { return false; }
    bool interruptRequested() override { return false; }
};

// The record mksfx filled in.
bool readRecord(const char* path, SfxConfig* config) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::vector<uint8_t> stub(GetFileSize(h, nullptr));
    DWORD got = 0;
    ReadFile(h, stub.data(), static_cast<DWORD>(stub.size()), &got, nullptr);
    CloseHandle(h);
    const auto at =
        std::search(stub.begin(), stub.end(), std::begin(mksfx::kMarker), std::end(mksfx::kMarker));
    if (got != stub.size() || stub.end() - at < static_cast<long>(kConfigRecordSize)) return false;
    *config = decodeConfigRecord(&*at);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SfxConfig config;
    if (argc != 3 || !readRecord(argv[1], &config)) {
        std::printf("usage: sfx_spanned_disks_test A:\\SETUP.EXE OUTPUT_FOLDER\n");
        return 3;
    }
    Win32Host host;
    Win32ArchiveSource real(argv[1]);
    RelabelledSource source(real);
    ScriptUi ui;
    Sfx sfx(ui, host, source);
    Outcome outcome = Outcome::Failed;
    if (sfx.startUp("", config) && host.createUnpackFolder(argv[2])) {
        sfx.setFolder(argv[2]);
        outcome = sfx.extract();
    }
    std::printf("outcome %d\n", static_cast<int>(outcome));
    return static_cast<int>(outcome);
}
