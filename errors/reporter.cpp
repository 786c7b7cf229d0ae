#include "errors/reporter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "errors/protocol.h"
#include "errors/trap.h"
#include "platform/platform.h"

namespace gm {
namespace {

ExitScreensaver gExitScreensaver = nullptr;

// The fixed captions of the form.
constexpr const char* kFramProgInfo = "Programm-Info:";
constexpr const char* kFramFehler = "Fehlerbeschreibung / error description:";
constexpr const char* kLblErrTitel[4] = {
    "Fehler-Nr / error :", "Modul:", "Prozedur / procedure:", "Zeile / Line:"};
constexpr const char* kTitle = "F E H L E R P R O T O K O L L  /  E R R O R   P R O T O C O L L";
const std::string kPad(10, ' ');
const std::string kRule(70, '-');

std::string upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

// Where the protocol goes when the program's folder does not take it (a
// saver copied into the Windows folder, where a standard user cannot
// write): the platform's folder of the user's own files of the program.
// Nowhere when the user chose the protocol's folder.
std::string fallbackPath(const std::string& programPath) {
    if (std::getenv("GLINTMOOR_PROTOCOL_DIR")) return {};
    const std::string folder = platform().userDataFolder();
    if (folder.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return protocol::joinFolder(folder, protocol::programName(programPath) + ".EPT");
}

}  // namespace

void setExitScreensaver(ExitScreensaver exit) { gExitScreensaver = exit; }

ErrPtnr& errPtnr() {
    static ErrPtnr form;
    return form;
}

Int16 OnError(const std::string& AktModul, const std::string& AktProc) {
    return errPtnr().OnError(AktModul, AktProc);
}

Int16 ErrPtnr::OnError(const std::string& AktModul, const std::string& AktProc) {
    const ErrState& e = Err();
    lblError[0] = std::to_string(e.number) + " (" + e.description + ")";
    lblError[1] = AktModul;
    lblError[2] = AktProc;
    lblError[3] = std::to_string(e.line);
    if (lblProgInfo.empty()) lblProgInfo = protocol::programInfoLine(platform().programPath());

    const std::string statement =
        AktModul + '\n' + AktProc + '\n' + lblError[3] + '\n' + lblError[0];
    const bool repeated = statement == lastStatement_ && !statementRanSinceReport();
    repeats_ = repeated ? repeats_ + 1 : 1;
    lastStatement_ = statement;

    platform().resetMousePointer();
    AppendProtocol();
    platform().Beep();
    if (gExitScreensaver) gExitScreensaver();
    return repeats_ >= kRepeatBound ? kLeaveProcedure : kRetryStatement;
}

std::string ErrPtnr::BuildProtocol() const {
    std::string text;
    auto line = [&text](const std::string& s) { text += s + protocol::kCrLf; };
    auto entry = [&](const std::string& caption, const std::string& value) {
        line(kPad + caption + "\t" + value);
    };

    line(kRule);
    line(kTitle);
    line(kRule);
    line(upper(kFramProgInfo));
    line(kPad + lblProgInfo);
    line(kRule);
    line(upper(kFramFehler));
    for (int i = 0; i < 4; ++i) entry(kLblErrTitel[i], lblError[static_cast<std::size_t>(i)]);
    const LocalDateTime t = platform().now();
    entry("Datum/Uhrzeit (Date/Time):", protocol::dateText(t) + " / " + protocol::timeText(t));
    line(kRule);
    line("SYSTEMINFO:");
    OsVersionInfo info;  // the record whose size field says 148 bytes
    platform().GetVersionExA(info);
    const protocol::SystemLines sys = protocol::systemLines(info);
    entry("Plattform/Environment:", sys.platform);
    entry("Version:", sys.version);
    entry("Build:", sys.build);
    line(kRule);
    return text;
}

void ErrPtnr::AppendProtocol() const {
    const std::string programPath = platform().programPath();
    const std::string text = BuildProtocol() + protocol::kCrLf;
    const std::string path = protocol::protocolPath(programPath);
    if (protocol::appendToFile(path, text)) return;
    const std::string fallback = fallbackPath(programPath);
    if (!fallback.empty() && protocol::appendToFile(fallback, text)) return;
    // Nowhere to write: the error still reaches the user.
    std::fprintf(stderr, "%s: cannot write the error protocol %s\n%s",
                 protocol::programName(programPath).c_str(), path.c_str(), text.c_str());
}

std::string LPSTRToVBString(const std::string& s) {
    const auto nul = s.find('\0');
    return nul == std::string::npos ? std::string() : s.substr(0, nul);
}

}  // namespace gm
