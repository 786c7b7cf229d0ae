// The main procedure of the stub - start-up, the configuration
// strings, the "-info" switch, the start-up prompt and the mode switches.
#include <cstdio>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/crc32.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "sfx/core/zip_format.h"
#include "sfx/core/zip_signatures.h"

namespace gm::sfx {

// The main procedure, in its fixed order. Returns the exit status: the
// command's once it has ended, else the stub's own outcome (the classic
// stub always returned 0, which reports a failed setup as success).
int Sfx::main(const char* args, const SfxConfig& config) {
    if (startUp(args, config)) runDialog();
    return exitStatus();
}

// A word "--" ends the stub's switches: what follows goes to the command
// (an installer run silently: "-auto -- /silent"). Returns the switches.
const char* Sfx::splitCommandArguments(const char* args) {
    commandArguments_[0] = '\0';
    for (const char* p = args; (p = std::strstr(p, "--")) != nullptr; p += 2) {
        const bool wordStart = p == args || p[-1] == ' ';
        if (!wordStart || (p[2] != '\0' && p[2] != ' ')) continue;
        std::snprintf(commandArguments_, sizeof commandArguments_, "%s", p[2] ? p + 3 : "");
        const size_t n = static_cast<size_t>(p - args) < sizeof switches_
                             ? static_cast<size_t>(p - args)
                             : sizeof switches_ - 1;
        std::memcpy(switches_, args, n);
        switches_[n] = '\0';
        return switches_;
    }
    return args;
}

bool Sfx::startUp(const char* allArgs, const SfxConfig& config) {
    const char* args = splitCommandArguments(allArgs);
    config_ = config;
    spanned_ = (config_.flags2 & kF2Spanned) != 0;
    disksAreExe_ = (config_.flags2 & kF2DisksAreExe) != 0;
    // 1-2. The front end has set up cursors and error modes; the shell.
    host_.prepareShell((config_.flags3 & kF3LoadShellExecute) != 0);
    // 3. Buffers and the stub's own path.
    if (!allocateBuffers()) {
        fail(kTextInvalidHeader);
        return false;
    }
    if (!host_.stubPath(stubPath_, sizeof stubPath_)) stubPath_[0] = '\0';
    // 4-5. Open the archive (the error return point is this function).
    if (openArchive() != Outcome::Ok) return false;
    // 6. The end record must be where the building tool put it.
    // (All ones: at 4 GiB or beyond, found by the search from the end.)
    if (config_.eocdOffset != 0 && config_.eocdOffset != kZip64Marker && !spanned_) {
        uint8_t sig[4];
        if (!source_.seek(config_.eocdOffset) || source_.read(sig, 4) != 4 ||
            load32le(sig) != signature(kSigEnd)) {
            failString(kStrArchiveChanged);
            return false;
        }
    }
    // 7. "-info" anywhere in the arguments, case-sensitive.
    if (std::strstr(args, "-info") != nullptr) {
        ui_.messageBox(strings_.info, kCaption, Buttons::Ok, Icon::None, 0);
        ending_ = Ending::InfoShown;
        return false;
    }
    // 8. The system.
    if (host_.systemTooOld()) {
        failString(kStrNeedWin32);
        return false;
    }
    // 9. A record the building tool never filled in.
    if (config_.complete == 0) {
        failString(kStrIncomplete);
        return false;
    }
    // 10. Wait mode and the password flag.
    waitMode_ = (config_.flags1 & kF1WaitMode) != 0;
    passwordFlag_ = (config_.flags2 & kF2Encrypted) != 0;
    // 11. (The meter's window class belongs to the Win32 front end.)
    // 12. The start-up prompt.
    if (!startUpPrompt()) {
        ending_ = Ending::Declined;
        return false;
    }
    // 13-14. Automatic mode, then the switch.
    if (config_.flags2 & kF2Auto) autoMode_ = true;
    parseSwitch(args);
    return true;
}

// Step 5: signatures, CRC table, the stub's own file, the string table,
// disk 1 of a spanned set, the configuration strings.
Outcome Sfx::openArchive() {
    buildSignatures();
    crc32InitTables();
    if (!allocateBuffers()) return fail(kTextInvalidHeader);
    if (!source_.open(ArchiveSource::Which::Stub)) return fail(kTextInvalidHeader);
    sourceOpen_ = true;
    if (!loadStringTable(window_)) return fail(kTextInvalidHeader);
    if (spanned_) SFX_TRY(askForDisk(1, true));
    return readConfigStrings();
}

// The configuration strings: at most 1500 compressed bytes, inflated into
// at most 2304 (the work buffer), split into the eight strings.
Outcome Sfx::readConfigStrings() {
    if (config_.stringsOffset == 0) return Outcome::Ok;
    if (config_.zipOffset < config_.stringsOffset ||
        config_.zipOffset - config_.stringsOffset > kConfigCompressedMax)
        return fail(kTextInvalidHeader);
    const size_t size = config_.zipOffset - config_.stringsOffset;
    uint8_t compressed[kConfigCompressedMax];
    uint8_t inflated[kConfigInflatedMax];
    size_t produced = 0;
    if (!source_.seek(config_.stringsOffset) ||
        source_.read(compressed, size) != static_cast<long>(size) ||
        inflateToMemory(compressed, size, inflated, sizeof inflated, &produced, window_) !=
            InflateStatus::Ok ||
        !splitConfigStrings(inflated, produced, (config_.flags1 & kF1CustomTitle) != 0, &strings_))
        return fail(kTextInvalidHeader);
    return Outcome::Ok;
}

// Step 12. The caption is the custom title when one is flagged and set.
// OK alone, or a question with OK/Cancel or Yes/No; No and Cancel end the
// program.
bool Sfx::startUpPrompt() {
    if (strings_.prompt[0] == '\0') return true;
    const char* caption =
        (config_.flags1 & kF1CustomTitle) && strings_.title[0] ? strings_.title : kCaption.c_str();
    Buttons buttons = Buttons::Ok;
    if (config_.flags3 & kF3PromptQuestion)
        buttons = (config_.flags3 & kF3PromptOkCancel) ? Buttons::OkCancel : Buttons::YesNo;
    const Answer a = ui_.messageBox(strings_.prompt, caption, buttons,
                                    buttons == Buttons::Ok ? Icon::Information : Icon::Question, 0);
    return a != Answer::No && a != Answer::Cancel;
}

// Step 14: the first "-" or "/" introduces a word of at least four
// characters, upper-cased up to the first blank by clearing bit 0x20, and
// compared at its beginning with "WAIT", "NOAUTO" and "AUTO".
void Sfx::parseSwitch(const char* args) {
    const char* p = args;
    while (*p && *p != '-' && *p != '/') ++p;
    if (!*p) return;
    ++p;
    char word[64];
    size_t n = 0;
    while (p[n] && p[n] != ' ' && n + 1 < sizeof word) {
        word[n] = static_cast<char>(p[n] & ~0x20);
        ++n;
    }
    word[n] = '\0';
    const char* wait = sfxString(kStrWait);
    const char* noAuto = sfxString(kStrNoAuto);
    const char* autoWord = sfxString(kStrAuto);
    size_t shortest = std::strlen(wait);
    if (std::strlen(autoWord) < shortest) shortest = std::strlen(autoWord);
    if (std::strlen(noAuto) < shortest) shortest = std::strlen(noAuto);
    if (n < shortest) return;
    if (std::strncmp(word, wait, std::strlen(wait)) == 0)
        waitMode_ = true;
    else if (std::strncmp(word, noAuto, std::strlen(noAuto)) == 0)
        autoMode_ = false;
    else if (std::strncmp(word, autoWord, std::strlen(autoWord)) == 0)
        autoMode_ = true;
}

}  // namespace gm::sfx
