#include "programs/idle_command.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix_system.h"
#include "platform/wayland/idle_watch.h"

namespace gm {
namespace {

// Starts the show and waits for it to end; a SIGTERM to us ends it too.
void runShow(const std::vector<std::string>& showArgs) {
    const std::string program = posix::executablePath();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : showArgs) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("glintmoor: cannot start the show");
        return;
    }
    if (child == 0) {
        execv(program.c_str(), argv.data());
        std::perror("glintmoor: cannot start the show");
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
        if (posix::terminationRequested()) kill(child, SIGTERM);
}

}  // namespace

std::vector<std::string> withoutIdleOption(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--idle") {
            ++i;
            continue;
        }
        rest.push_back(args[i]);
    }
    return rest;
}

int runIdleCommand(std::uint32_t seconds, const std::vector<std::string>& showArgs) {
    std::string why;
    const std::unique_ptr<IdleWatch> watch = IdleWatch::open(seconds * 1000, why);
    if (!watch) {
        std::fprintf(stderr, "glintmoor: %s\n", why.c_str());
        return 1;
    }
    for (bool shown = false; watch->waitForIdle(shown); shown = true) runShow(showArgs);
    return posix::terminationRequested() ? 0 : 1;
}

}  // namespace gm
