// The main dialog's logic, without its windows. The Setup press
// (folder, password, extraction, launch, wait, the wait and automatic
// modes, finish), Close, Info and the system's shut-down query.
//
// The dialog itself belongs to the front end (SfxUi). The core owns the
// loop: it asks the front end for the next button press (waitCommand), and
// while it waits for the started program it lets the front end handle the
// user's input for 50 ms at a time (pump), acting on what comes back.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"

namespace gm::sfx {
namespace {

// How often the end of the started program is checked.
constexpr unsigned kProcessPollMs = 50;
// flags1 0x04: messages are handled this long before the named program is
// looked for; then it is looked for at least this often (the classic timer
// of 10000 ms; the terminal front end looks every second).
constexpr unsigned kWaitForProgramDelayMs = 10000;
constexpr unsigned kProgramPollMs = 1000;

}  // namespace

// Initialisation (steps 3-5; centring and the icon are the front end's).
void Sfx::dialogInit() {
    char title[kPathBuffer + 64];
    std::snprintf(title, sizeof title, "%s - %s", kCaption.c_str(), fileNamePart(stubPath_));
    if (config_.flags3 & kF3TitleAsCaption)
        std::snprintf(title, sizeof title, "%s",
                      strings_.title[0] ? strings_.title : sfxString(kStrSetup));
    const char* heading =
        (config_.flags1 & kF1CustomTitle) && strings_.title[0] ? strings_.title : title;
    ui_.openDialog(title, heading, strings_.message, (config_.flags2 & kF2InfoDots) != 0);
    planFolder();
}

void Sfx::runDialog() {
    dialogInit();
    dialogOpen_ = true;
    // In automatic mode the Setup command is posted at once.
    Command posted = autoMode_ ? Command::Setup : Command::None;
    while (dialogOpen_) {
        Command c = posted;
        posted = Command::None;
        if (c == Command::None) c = ui_.waitCommand();
        switch (c) {
            case Command::Setup:
                if (waitingForConfirmation_)
                    pressSetupWhileWaiting();
                else if (setupEnabled_)
                    pressSetup();
                else
                    pressClose();  // nothing left to do but close
                break;
            case Command::Close:
                pressClose();
                break;
            case Command::Info:
                pressInfo();
                break;
            case Command::Shutdown:
                shutDown();
                break;
            case Command::None:
                break;
        }
    }
    reportKeptFolder();
}

// The first press of Setup.
void Sfx::pressSetup() {
    // 1-2. Close becomes the default button (not in wait mode); Setup is
    // disabled.
    setupEnabled_ = false;
    ui_.setSetupButton(sfxString(kStrSetup), false, waitMode_);
    // 3. The unpacking folder.
    if (!createUnpackingFolder()) {
        ui_.messageBox(sfxString(kStrNoTempFolder), kCaption, Buttons::Ok, Icon::Error, 0);
        ending_ = Ending::Failed;
        return;
    }
    // 4. The meter: for a small archive only if it is slow to unpack.
    ui_.setMeter(0, "");
    meterVisible_ = false;
    if (config_.eocdOffset < kSmallArchive && !spanned_) {
        meterTimerArmed_ = true;
        meterDeadline_ = host_.nowMs() + kMeterDelayMs;
    } else {
        ui_.setStatus("");
        ui_.showMeter(true);
        meterVisible_ = true;
    }
    // 5. Counters and the password.
    bytesWritten_ = lastMeterBytes_ = 0;
    filesWritten_ = 0;
    if (passwordFlag_) {
        char entered[sizeof password_] = {};
        for (;;) {
            if (!ui_.askPassword(entered, sizeof entered)) {
                // The folder made in step 3 is still empty: it goes, so that
                // nothing is left behind and the next press makes it anew.
                host_.unpackFolder().removeFolder("");
                folderMade_ = false;
                setupEnabled_ = true;
                ui_.showMeter(false);
                meterVisible_ = meterTimerArmed_ = false;
                ui_.setSetupButton(sfxString(kStrSetup), true, true);
                return;
            }
            if (entered[0] != '\0') break;  // an empty field keeps the dialog open
        }
        setPassword(entered);
    }
    // 6. Extraction.
    extracting_ = true;
    const Outcome result = extract();
    extracting_ = false;
    ui_.setMeter(100, meterText_);
    if (meterVisible_) ui_.showMeter(false);
    meterVisible_ = meterTimerArmed_ = false;
    ui_.setStatus("");
    // 7. A failed or cancelled run: remove the folder and close.
    if (result != Outcome::Ok) {
        cleanUp();
        ui_.setStatus(sfxString(kStrUnzipAborted));
        // The run's result stays 2 after a confirmed abort; the session
        // was cancelled by the user all the same.
        ending_ = result == Outcome::Cancelled || userAborted_ ? Ending::Cancelled : Ending::Failed;
        dialogOpen_ = false;
        setupEnabled_ = true;
        return;
    }
    // 8. Into the unpacking folder; if that fails, straight to the finish.
    if (!host_.enterUnpackFolder()) {
        ui_.messageBox(sfxString(kStrChdirFailed), kCaption, Buttons::Ok, Icon::Error, 0);
        ending_ = Ending::Failed;
    } else if (!runCommand) {
        keepFiles_ = true;  // unpack only: the files are what the user asked for
    } else if (strings_.command[0] != '\0' && launch()) {
        // 9. The command runs; wait for it.
        cancel_ = false;
        programRunning_ = true;
        while (!cancel_ && dialogOpen_ && host_.commandRunning())
            handleWaitCommand(ui_.pump(kProcessPollMs));
        // Closed while it ran (the folder stays), or shut down (finished).
        if (cancel_ || !dialogOpen_) return;
        commandStatus_ = host_.commandStatus();
        if (waitMode_) {
            ui_.setSetupButton(sfxString(kStrFinished), true, true);
            setupEnabled_ = true;
            waitingForConfirmation_ = true;
            while (waitingForConfirmation_ && !cancel_ && dialogOpen_)
                handleWaitCommand(ui_.waitCommand());
            return;  // the next Setup press finishes, or Close leaves the files
        }
        if ((config_.flags1 & kF1WaitForProgram) && config_.waitName[0] != '\0') {
            const uint64_t start = host_.nowMs();
            while (!cancel_ && host_.nowMs() - start < kWaitForProgramDelayMs) {
                const uint64_t left = kWaitForProgramDelayMs - (host_.nowMs() - start);
                handleWaitCommand(
                    ui_.pump(left < kProgramPollMs ? static_cast<unsigned>(left) : kProgramPollMs));
            }
            while (!cancel_ && host_.programRunning(config_.waitName))
                handleWaitCommand(ui_.pump(kProgramPollMs));
            if (cancel_) return;
        }
        ending_ = Ending::CommandRan;
    } else {
        // 10. No command, or it did not start: the files stay for the user.
        if (strings_.command[0] == '\0') {
            ui_.messageBox(sfxString(kStrNoCommand), kCaption, Buttons::Ok, Icon::Error, 0);
            ending_ = Ending::Failed;
        }
        keepFiles_ = true;
    }
    // 11-12. Finish; automatic mode would post Close, the finish closes.
    finish();
    setupEnabled_ = true;
}

// Setup pressed while waiting for confirmation: string 11; Yes finishes.
void Sfx::pressSetupWhileWaiting() {
    if (ask(sfxString(kStrSetupDone), Buttons::YesNo, Icon::Question) != Answer::Yes) return;
    waitingForConfirmation_ = false;
    ending_ = Ending::CommandRan;
    finish();
}

// Acts on what the user did while the core waited. Returns false when the
// dialog has been closed.
bool Sfx::handleWaitCommand(Command c) {
    switch (c) {
        case Command::Close:
            pressClose();
            break;
        case Command::Info:
            pressInfo();
            break;
        case Command::Setup:
            if (waitingForConfirmation_) pressSetupWhileWaiting();
            break;
        case Command::Shutdown:
            shutDown();
            break;
        case Command::None:
            break;
    }
    return dialogOpen_;
}

// The system's shut-down query (Linux: SIGTERM, SIGHUP): a running command
// is asked to end, and ended by force after a grace time, before the
// folder it runs in is deleted.
void Sfx::shutDown() {
    if (programRunning_ && host_.commandRunning()) stopRunningCommand();
    ending_ = Ending::Interrupted;
    finish();
}

void Sfx::stopRunningCommand() {
    for (bool force : {false, true}) {
        host_.stopCommand(force);
        const uint64_t start = host_.nowMs();
        while (host_.nowMs() - start < kStopGraceMs) {
            if (!host_.commandRunning()) return;
            ui_.pump(kProcessPollMs);
        }
    }
}

// Whenever the unpacked files stay (no command, a cancel, a folder the
// clean-up could not remove), the user learns where.
void Sfx::reportKeptFolder() {
    if (!folderMade_ || folderRemoved_) return;
    std::snprintf(message_, sizeof message_, kTextFilesKept, folder_);
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::Information, 0);
}

int Sfx::exitStatus() const {
    if (ending_ == Ending::Interrupted) return kExitCancelled;
    if (commandStatus_ >= 0) return commandStatus_;
    switch (ending_) {
        case Ending::Declined:
        case Ending::Cancelled:
            return kExitCancelled;
        case Ending::Failed:
            return kExitFailed;
        default:
            return kExitNothingToRun;
    }
}

// Close (button 2). Returns true when the dialog closed.
bool Sfx::pressClose() {
    if (waitingForConfirmation_) {
        if (ask(sfxString(kStrCancelWaiting), Buttons::YesNo, Icon::Question, 1) != Answer::Yes)
            return false;
        cancel_ = true;
        waitingForConfirmation_ = false;
        ending_ = Ending::Cancelled;
    } else if (programRunning_) {
        std::snprintf(message_, sizeof message_, sfxString(kStrStillRunning), strings_.command);
        if (ask(message_, Buttons::YesNo, Icon::Question, 1) != Answer::Yes) return false;
        cancel_ = true;
        ending_ = Ending::Cancelled;
    } else {
        cancel_ = true;
        if (ending_ == Ending::None) ending_ = Ending::Declined;
    }
    dialogOpen_ = false;
    return true;
}

// Info (button 112): the configured about text and the stub's own.
void Sfx::pressInfo() {
    if (strings_.about[0] != '\0') {
        std::snprintf(message_, sizeof message_, sfxString(kStrAboutFormat), strings_.about,
                      kTextAbout.c_str());
        ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
    } else {
        ui_.messageBox(kTextAbout, kCaption, Buttons::Ok, Icon::None, 0);
    }
}

// Step 11, also the end of the system's shut-down query: leave the
// unpacking folder, delete it (if it was made), close the dialog.
void Sfx::finish() {
    programRunning_ = false;
    if (folderMade_ && host_.leaveUnpackFolder()) {
        ui_.showMeter(false);
        ui_.setStatus(sfxString(kStrDeletingTemp));
        cleanUp();
    }
    dialogOpen_ = false;
}

// Launch: through the shell with the verb "Install" (flags3 0x01 and 0x02),
// or as a new process; string 23 when it does not start.
bool Sfx::launch() {
    const bool shell = (config_.flags3 & (kF3ShellInstall | kF3LoadShellExecute)) ==
                       (kF3ShellInstall | kF3LoadShellExecute);
    char line[sizeof strings_.command + sizeof commandArguments_ + 1];
    if (commandArguments_[0] != '\0')
        std::snprintf(line, sizeof line, "%s %s", strings_.command, commandArguments_);
    else
        std::snprintf(line, sizeof line, "%s", strings_.command);
    if (host_.startCommand(line, shell)) return true;
    std::snprintf(message_, sizeof message_, sfxString(kStrRunFailed), strings_.command);
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::Error, 0);
    ending_ = Ending::Failed;
    return false;
}

}  // namespace gm::sfx
