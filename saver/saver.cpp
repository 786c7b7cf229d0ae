#include "saver/saver.h"

#include <charconv>
#include <cstdlib>

#include "common/allgemein.h"
#include "common/settings.h"
#include "errors/reporter.h"
#include "errors/trap.h"
#include "saver/frm_main.h"

namespace gm {

Bool16 fullScreen = kFalse;

namespace {

std::optional<std::uint64_t> gSeedOverride;

std::string trimmedUpper(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    std::string t = s.substr(first, last - first + 1);
    for (char& c : t) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return t;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A window handle keeps its 32 bits; negative values extend their sign, as
// the system's handles do on 64-bit Windows.
std::uintptr_t toHandle(Int32 h) {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(h.value()));
}

std::uint64_t startSeed() {
    if (const auto seed = seedOverride()) return *seed;
    return seedFromTimeOfDay(platform().now().secondsSinceMidnight);
}

// Answer 3 of the trap ends the program through the platform, so tests on
// the headless platform observe it.
void endThroughPlatform() { platform().exitProcess(0); }

}  // namespace

Forms& forms() {
    static Forms f;
    return f;
}

void setSeedOverride(std::optional<std::uint64_t> seed) { gSeedOverride = seed; }

std::optional<std::uint64_t> seedOverride() {
    if (gSeedOverride) return gSeedOverride;
    const char* text = std::getenv("GLINTMOOR_SEED");
    if (!text || !*text) return std::nullopt;
    std::uint64_t seed = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto [ptr, ec] = std::from_chars(text, end, seed);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return seed;
}

Int32 handleArgument(const std::string& argument) {
    std::size_t i = argument.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    std::string number;
    if (argument[i] == '-') number += argument[i];
    if (argument[i] == '-' || argument[i] == '+') ++i;
    bool anyDigit = false;
    auto takeDigits = [&] {
        for (; i < argument.size() && isDigit(argument[i]); ++i, anyDigit = true)
            number += argument[i];
    };
    takeDigits();
    if (i < argument.size() && argument[i] == '.') {
        number += argument[i++];
        takeDigits();
    }
    if (!anyDigit) return 0;
    double value = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) raise(err::Overflow);
    return CLng(value);
}

void Main(const std::string& commandLine) {
    setExitScreensaver(&exitScreensaver);
    setEndProgram(&endThroughPlatform);
    trapped("Saver", "Main", [&](Trap& at) {
        std::string selector, argument;
        at(50010, [&] { LoadConfig(); });
        at(50020, [&] { Randomize(startSeed()); });
        at(50030, [&] { platform().setSystemSaverActive(false); });
        at(50040, [&] {
            const std::string command = trimmedUpper(commandLine);
            selector = command.substr(0, 2);
            argument = command.size() > 3 ? command.substr(3) : "";
        });

        if (selector == "/P") {
            Int32 host;
            int width = 0, height = 0;
            at(50050, [&] { host = handleArgument(argument); });
            at(50060, [&] { platform().GetClientRect(toHandle(host), width, height); });
            at(50070, [&] { fullScreen = kFalse; });
            at(50080, [&] {
                if (forms().showFrmPreview) forms().showFrmPreview(toHandle(host), width, height);
            });
        } else if (selector == "/C") {
            at(50090, [&] {
                if (forms().showFrmConfig) forms().showFrmConfig();
            });
        } else if (selector == "/A") {
            Bool16 nt = kFalse;
            Int32 owner;
            at(50100, [&] { nt = IsWinNT(); });
            if (nt != kFalse) return;
            at(50110, [&] { owner = handleArgument(argument); });
            at(50120, [&] { platform().PwdChangePasswordA("SCRSAVE", toHandle(owner)); });
        } else if (selector == "/S" || selector.empty()) {
            at(50130, [&] { fullScreen = kTrue; });
            at(50140, [&] { platform().setShowRunning(true); });
            at(50150, [&] { platform().ShowCursor(false); });
            at(50160, [&] { forms().frmMain = std::make_unique<FrmMain>(); });
            at(50170, [&] { SetTopMost(forms().frmMain->window(), kTrue, kTrue); });
            at(50180, [&] { forms().frmMain->Show(); });
        }
    });
}

Bool16 IsWinNT() {
    Bool16 result = kFalse;
    trapped("Saver", "IsWinNT", [&](Trap& at) {
        at(50010, [&] {
            OsVersionInfo info;  // the record whose size field says 148 bytes
            const int ok = platform().GetVersionExA(info);
            result = toBool16(ok == 1 && info.platformId == 2);
        });
    });
    return result;
}

void exitScreensaver() {
    trapped("Saver", "exitScreensaver", [](Trap& at) {
        Bool16 running = kFalse, nt = kFalse;
        int confirmed = 1;
        at(50010, [&] { running = fullScreen; });
        if (running != kTrue) return;
        at(50020, [&] { nt = IsWinNT(); });
        if (nt == kFalse) {
            at(50030, [&] {
                const FrmMain* form = forms().frmMain.get();
                confirmed = platform().VerifyScreenSavePwd(form ? form->window().handle() : 0);
            });
            if (confirmed == 0) return;  // refused or cancelled: the show goes on
        }
        at(50040, [&] { platform().ShowCursor(true); });
        at(50050, [&] { platform().setSystemSaverActive(true); });
        at(50060, [&] { platform().setShowRunning(false); });
        at(50070, [&] { platform().exitProcess(0); });
    });
}

Bool16 SetTopMost(Window& window, Bool16 topmost, Bool16 activate) {
    Bool16 result = kFalse;
    trapped("Saver", "SetTopMost", [&](Trap& at) {
        bool activates = true;
        Stacking stacking = Stacking::Top;
        at(50010, [&] { activates = activate != kFalse; });
        at(50020, [&] {
            // A value that is neither true nor false: the top of the ordinary windows.
            stacking = topmost == kTrue    ? Stacking::TopMost
                       : topmost == kFalse ? Stacking::NotTopMost
                                           : Stacking::Top;
        });
        at(50030, [&] { result = toBool16(window.keepOnTop(stacking, activates)); });
    });
    return result;
}

}  // namespace gm
