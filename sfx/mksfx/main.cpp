// mksfx: builds a self-extracting file from the sfxstub program and a ZIP
// archive.
//
//   mksfx --stub STUB --zip ARCHIVE.zip [--command CMD] [--about T]
//         [--message T] [--title T] [--prompt T] [--info T]
//         [--wait-for NAME] [--FLAG ...] -o OUT
//
// Every flag of the SfxConfig record has its own --FLAG option (see
// --help). The texts are UTF-8 on the command line and are stored in the
// stub's code page, UTF-8 for every stub of ours (--code-page 1252 stores
// them for a stub that reads the Windows code page).
#include <sys/stat.h>
#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "sfx/mksfx/sfx_file.h"

namespace {

using namespace gm::sfx;
using namespace gm::sfx::mksfx;

struct FlagOption {
    const char* name;
    int byte;  // 1, 2 or 3: flags1, flags2, flags3
    uint8_t bits;
    const char* help;
};

// One option per flag of the record, named after what it does.
constexpr FlagOption kFlags[] = {
    {"wait-for-program", 1, kF1WaitForProgram,
     "after the command ends, wait for the program named by --wait-for (set by --wait-for)"},
    {"custom-title", 1, kF1CustomTitle, "a custom title string is present (set by --title)"},
    {"wait-mode", 1, kF1WaitMode,
     "\"wait\" mode: the user confirms that setup has finished before the files go"},
    {"encrypted", 2, kF2Encrypted,
     "ask for a password (set automatically when the archive has encrypted entries)"},
    {"auto", 2, kF2Auto, "start unpacking automatically, without the Setup question"},
    {"spanned", 2, kF2Spanned, "the archive is spanned over several disks labelled PKBACK#"},
    {"info-dots", 2, kF2InfoDots, "the Info button reads \"&Info...\""},
    {"disks-are-exe", 2, kF2DisksAreExe,
     "every disk of a spanned set carries the file name with extension .EXE"},
    {"shell-install", 3, kF3ShellInstall | kF3LoadShellExecute,
     "start the command through the shell with the verb \"Install\" (Windows)"},
    {"load-shell-execute", 3, kF3LoadShellExecute, "load the shell's ShellExecuteEx at start"},
    {"title-as-caption", 3, kF3TitleAsCaption,
     "the dialog title is the custom title (or \"Setup\" when that is empty)"},
    {"question", 3, kF3PromptQuestion, "the start-up prompt (--prompt) is a Yes/No question"},
    {"ok-cancel", 3, kF3PromptOkCancel | kF3PromptQuestion,
     "the start-up question has OK/Cancel instead of Yes/No"},
};

void usage(std::ostream& o) {
    o << "usage: mksfx --stub STUB --zip ARCHIVE.zip [options] -o OUT\n"
         "\n"
         "Builds a self-extracting file: the stub, its configuration and the archive.\n"
         "\n"
         "Texts (UTF-8; stored in the stub's code page):\n"
         "  --command CMD   command run in the unpacking folder after unpacking\n"
         "                  (without it the file reports that no command is defined)\n"
         "  --about T       about text, shown by Info (515 bytes)\n"
         "  --message T     message of the main dialog (256 bytes)\n"
         "  --title T       custom title (64 bytes); sets flags1 0x10\n"
         "  --prompt T      start-up prompt shown before the dialog (513 bytes)\n"
         "  --info T        text shown by the -info switch (511 bytes)\n"
         "  --wait-for NAME program (without .exe) to wait for after the command;\n"
         "                  sets flags1 0x04 (10 characters)\n"
         "  --code-page utf8|1252  code page of the texts (default: utf8, that of our stubs)\n"
         "\n"
         "Encryption (AES-256, WinZip's AE-2; the password is never taken from the command line):\n"
         "  --encrypt       encrypt every file entry; the password is asked for, without echo\n"
         "  --password-file F  encrypt with the password in the first line of file F\n"
         "\n"
         "Flags of the SfxConfig record:\n";
    const char* bytes[] = {"", "flags1", "flags2", "flags3"};
    for (const FlagOption& f : kFlags) {
        char line[64];
        std::snprintf(line, sizeof line, "  --%-20s %s 0x%02X ", f.name, bytes[f.byte], f.bits);
        o << line << f.help << "\n";
    }
    o << "\n"
         "flags1 keeps the shipped record's other bits (0x0A).\n";
}

bool readFile(const std::string& path, std::vector<uint8_t>* out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

// The arguments in UTF-8. On Windows, main's argv is in the ANSI code
// page; the wide command line has every character.
std::vector<std::string> utf8Arguments(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
#ifdef _WIN32
    int n = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (wide != nullptr) {
        args.clear();
        for (int i = 0; i < n; ++i) {
            const int len =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string s(len > 0 ? len - 1 : 0, '\0');
            if (len > 1)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, s.data(), len, nullptr, nullptr);
            args.push_back(s);
        }
        LocalFree(wide);
    }
#endif
    return args;
}

// The password for --encrypt, asked twice on the terminal without echo.
bool askPassword(std::string* out) {
#ifdef _WIN32
    (void)out;
    std::cerr << "mksfx: --encrypt asks on a terminal; use --password-file here\n";
    return false;
#else
    std::FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr) {
        std::cerr << "mksfx: --encrypt needs a terminal; use --password-file\n";
        return false;
    }
    termios saved{};
    const bool isTerminal = tcgetattr(fileno(tty), &saved) == 0;
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (isTerminal) tcsetattr(fileno(tty), TCSAFLUSH, &quiet);
    std::string entered[2];
    for (int i = 0; i < 2; ++i) {
        std::fputs(i == 0 ? "Password: " : "\nPassword again: ", tty);
        std::fflush(tty);
        char line[1024];
        if (std::fgets(line, sizeof line, tty) == nullptr) break;
        entered[i] = line;
        while (!entered[i].empty() && (entered[i].back() == '\n' || entered[i].back() == '\r'))
            entered[i].pop_back();
    }
    std::fputs("\n", tty);
    if (isTerminal) tcsetattr(fileno(tty), TCSAFLUSH, &saved);
    std::fclose(tty);
    if (entered[0].empty() || entered[0] != entered[1]) {
        std::cerr << "mksfx: the two passwords are empty or differ\n";
        return false;
    }
    *out = entered[0];
    return true;
#endif
}

// The first line of a file, without its line end.
bool readPasswordFile(const std::string& path, std::string* out) {
    std::ifstream f(path, std::ios::binary);
    if (!f || !std::getline(f, *out)) return false;
    if (!out->empty() && out->back() == '\r') out->pop_back();
    return !out->empty();
}

}  // namespace

int main(int argcIn, char** argvIn) {
    const std::vector<std::string> arguments = utf8Arguments(argcIn, argvIn);
    std::vector<char*> pointers;
    for (const std::string& a : arguments) pointers.push_back(const_cast<char*>(a.c_str()));
    const int argc = static_cast<int>(pointers.size());
    char** argv = pointers.data();
    BuildRequest rq;
    std::string stubPath, zipPath, outPath;
    bool titleGiven = false, encrypt = false;
    std::string passwordFile;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::cerr << "mksfx: " << a << " needs " << what << "\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            usage(std::cout);
            return 0;
        } else if (a == "--stub") {
            stubPath = value("a file");
        } else if (a == "--zip") {
            zipPath = value("a file");
        } else if (a == "-o" || a == "--output") {
            outPath = value("a file");
        } else if (a == "--command") {
            rq.strings[kCsCommand] = value("a command");
        } else if (a == "--about") {
            rq.strings[kCsAbout] = value("a text");
        } else if (a == "--message") {
            rq.strings[kCsMessage] = value("a text");
        } else if (a == "--title") {
            rq.strings[kCsTitle] = value("a text");
            titleGiven = true;
        } else if (a == "--prompt") {
            rq.strings[kCsPrompt] = value("a text");
        } else if (a == "--info") {
            rq.strings[kCsInfo] = value("a text");
        } else if (a == "--wait-for") {
            rq.waitName = value("a program name");
            rq.flags1 |= kF1WaitForProgram;
        } else if (a == "--encrypt") {
            encrypt = true;
        } else if (a == "--password-file") {
            passwordFile = value("a file");
        } else if (a == "--code-page") {
            const std::string cp = value("utf8 or 1252");
            if (cp == "utf8" || cp == "utf-8")
                rq.codePage = CodePage::Utf8;
            else if (cp == "1252")
                rq.codePage = CodePage::Windows1252;
            else {
                std::cerr << "mksfx: unknown code page " << cp << "\n";
                return 2;
            }
        } else {
            bool known = false;
            for (const FlagOption& f : kFlags) {
                if (a == std::string("--") + f.name) {
                    uint8_t& byte = f.byte == 1 ? rq.flags1 : f.byte == 2 ? rq.flags2 : rq.flags3;
                    byte |= f.bits;
                    known = true;
                }
            }
            if (!known) {
                std::cerr << "mksfx: unknown option " << a << " (see --help)\n";
                return 2;
            }
        }
    }
    if (titleGiven) rq.flags1 |= kF1CustomTitle;
    if (stubPath.empty() || zipPath.empty() || outPath.empty()) {
        usage(std::cerr);
        return 2;
    }
    if (!readFile(stubPath, &rq.stub)) {
        std::cerr << "mksfx: cannot read the stub " << stubPath << "\n";
        return 1;
    }
    if (!readFile(zipPath, &rq.archive)) {
        std::cerr << "mksfx: cannot read the archive " << zipPath << "\n";
        return 1;
    }
    if (!passwordFile.empty() && !readPasswordFile(passwordFile, &rq.password)) {
        std::cerr << "mksfx: no password in " << passwordFile << "\n";
        return 1;
    }
    if (encrypt && passwordFile.empty() && !askPassword(&rq.password)) return 1;
    const BuildResult r = buildSfx(rq);
    if (!r.error.empty()) {
        std::cerr << "mksfx: " << r.error << "\n";
        return 1;
    }
    if (!r.warning.empty()) std::cerr << "mksfx: warning: " << r.warning << "\n";
    {
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(r.file.data()),
                  static_cast<std::streamsize>(r.file.size()));
        if (!out) {
            std::cerr << "mksfx: cannot write " << outPath << "\n";
            return 1;
        }
    }
    chmod(outPath.c_str(), 0755);
    return 0;
}
