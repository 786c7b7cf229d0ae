// The headless backend: a deterministic platform for tests and for running
// the saver without a display.
//
//  * A virtual screen of a chosen size, or of several monitors anywhere
//    around the primary, each with its dpi; every window's persistent image
//    is a plain surface whose pixels tests read. The full-screen window
//    covers the bounding box of all monitors.
//  * A virtual millisecond clock that starts where the test says. wait()
//    jumps it to the next scripted input event or due timer, so an hour of
//    show runs in a moment. GetTickCount() wraps at 2^32 like the real one.
//  * Scripted input: events queued for given times are delivered to the
//    newest open window when the clock reaches them.
//  * Recorded calls: the system's flags, the cursor display count, beeps,
//    password-change calls, mouse-pointer resets, the windows' stacking and
//    embedding.
//  * exitProcess() throws ProcessExit instead of ending the process, so a
//    test observes the exit code and goes on.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

// Thrown by HeadlessPlatform::exitProcess: the process would end here.
struct ProcessExit {
    int code;
};

// Thrown by wait() when nothing is scripted or due any more (a real
// platform would block for ever) or when the clock would pass the stop time.
struct HeadlessStop : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A settings store in memory.
class MemoryStore final : public SettingsStore {
  public:
    std::optional<std::string> GetSetting(const std::string& app, const std::string& section,
                                          const std::string& key) override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
    // Every value, keyed "app/section/key", for tests to inspect.
    std::map<std::string, std::string> values;
};

// A flag of the system the program set: its own starting of the screen
// saver (setSystemSaverActive) or the note that the show runs
// (setShowRunning).
struct SystemFlagCall {
    enum Flag { SaverActive, ShowRunning } flag;
    bool on;
    bool operator==(const SystemFlagCall&) const = default;
};

struct KeepOnTopCall {
    Stacking stacking;
    bool activate;
    bool operator==(const KeepOnTopCall&) const = default;
};

struct EmbedCall {
    std::uintptr_t host;
    int width, height;
    bool operator==(const EmbedCall&) const = default;
};

struct PwdChangeCall {
    std::string provider;
    std::uintptr_t owner;
    bool operator==(const PwdChangeCall&) const = default;
};

enum class InputKind { KeyDown, KeyPress, Click, DblClick, MouseDown, MouseMove, Close };

struct InputEvent {
    InputKind kind;
    int code = 0;  // the character of a key press, the button of a mouse press
    float x = 0, y = 0;
    Key key = Key::Other;  // of a key down
};

inline InputEvent keyDown(Key key) { return {InputKind::KeyDown, 0, 0, 0, key}; }

class HeadlessWindow;

class HeadlessPlatform final : public Platform {
  public:
    HeadlessPlatform(int screenWidth = 640, int screenHeight = 480, std::uint64_t startMs = 0);
    ~HeadlessPlatform() override;

    // --- Settings of the virtual system -----------------------------------
    void setOsVersion(const OsVersionInfo& info, int result = 1);
    void setPasswordAnswer(int answer) { passwordAnswer_ = answer; }
    void setHostSize(std::uintptr_t host, int width, int height);
    void setProgramPath(std::string path) { programPath_ = std::move(path); }
    void setDateTime(const LocalDateTime& t) { dateTime_ = t; }
    void setSettingsStore(SettingsStore* store) { store_ = store ? store : &memoryStore_; }
    void setUserDataFolder(std::string folder) { userDataFolder_ = std::move(folder); }
    // The monitors in screen coordinates, the primary first (it need not lie
    // at the origin). Windows made afterwards see them.
    void setMonitors(std::vector<MonitorArea> monitors) { monitors_ = std::move(monitors); }
    // wait() throws HeadlessStop instead of moving the clock past this time.
    void stopAt(std::uint64_t ms) { stopAt_ = ms; }

    // --- Script --------------------------------------------------------------
    void schedule(std::uint64_t atMs, InputEvent event);
    std::uint64_t nowMs() const { return clock_; }

    // --- Records -------------------------------------------------------------
    const std::vector<SystemFlagCall>& systemFlags() const { return systemFlags_; }
    int cursorCount() const { return cursorCount_; }  // ShowCursor's display count
    int beeps() const { return beeps_; }
    int pointerResets() const { return pointerResets_; }
    const std::vector<PwdChangeCall>& pwdChanges() const { return pwdChanges_; }
    int passwordChecks() const { return passwordChecks_; }
    const std::vector<WindowKind>& windowsCreated() const { return windowsCreated_; }
    // The newest open window, or nullptr.
    HeadlessWindow* activeWindow() const;
    MemoryStore& memoryStore() { return memoryStore_; }

    // --- Platform ------------------------------------------------------------
    std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(clock_); }
    LocalDateTime now() override { return dateTime_; }
    void setSystemSaverActive(bool active) override {
        systemFlags_.push_back({SystemFlagCall::SaverActive, active});
    }
    void setShowRunning(bool running) override {
        systemFlags_.push_back({SystemFlagCall::ShowRunning, running});
    }
    int ShowCursor(bool show) override { return cursorCount_ += show ? 1 : -1; }
    void Beep() override { ++beeps_; }
    int GetVersionExA(OsVersionInfo& info) override;
    int VerifyScreenSavePwd(std::uintptr_t window) override;
    void PwdChangePasswordA(const char* provider, std::uintptr_t owner) override;
    bool GetClientRect(std::uintptr_t window, int& width, int& height) override;
    void resetMousePointer() override { ++pointerResets_; }
    std::string programPath() override { return programPath_; }
    std::string userDataFolder() override { return userDataFolder_; }
    [[noreturn]] void exitProcess(int code) override;
    void yield() override;
    void wait() override;
    void run() override;
    std::unique_ptr<Window> createWindow(WindowKind kind, WindowEvents& events) override;
    SettingsStore& settingsStore() override { return *store_; }

  private:
    friend class HeadlessWindow;
    struct Scheduled {
        std::uint64_t atMs;
        std::uint64_t order;  // keeps events of the same time in script order
        InputEvent event;
    };
    void deliver(const InputEvent& event);
    void fireDueTimers();
    std::optional<std::uint64_t> nextDue() const;

    std::vector<MonitorArea> monitors_;
    std::uint64_t clock_;
    std::optional<std::uint64_t> stopAt_;
    std::vector<Scheduled> script_;
    std::uint64_t scheduled_ = 0;
    std::vector<HeadlessWindow*> open_;
    std::uintptr_t nextHandle_ = 0x10010;

    OsVersionInfo version_;
    int versionResult_ = 1;
    int passwordAnswer_ = 1;
    std::map<std::uintptr_t, std::pair<int, int>> hosts_;
    std::string programPath_ = "/opt/glintmoor/glintmoor";
    std::string userDataFolder_;
    LocalDateTime dateTime_;
    MemoryStore memoryStore_;
    SettingsStore* store_ = &memoryStore_;

    std::vector<SystemFlagCall> systemFlags_;
    int cursorCount_ = 0;
    int beeps_ = 0;
    int pointerResets_ = 0;
    int passwordChecks_ = 0;
    std::vector<PwdChangeCall> pwdChanges_;
    std::vector<WindowKind> windowsCreated_;
};

class HeadlessWindow final : public Window {
  public:
    HeadlessWindow(HeadlessPlatform& platform, WindowKind kind, WindowEvents& events,
                   std::uintptr_t handle, int width, int height, std::vector<MonitorArea> monitors);
    ~HeadlessWindow() override;

    std::uintptr_t handle() const override { return handle_; }
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    gfx::Surface& image() override { return image_; }
    void refresh() override { ++refreshes_; }
    void show() override;
    bool keepOnTop(Stacking stacking, bool activate) override;
    void embedInto(std::uintptr_t host, int width, int height) override;
    void setTimer(std::uint32_t intervalMs, bool enabled) override;
    std::vector<MonitorArea> monitors() const override;

    WindowKind kind() const { return kind_; }
    bool visible() const { return visible_; }
    bool closed() const { return closed_; }
    int refreshes() const { return refreshes_; }
    std::uint32_t timerInterval() const { return interval_; }
    bool timerEnabled() const { return enabled_; }
    const std::vector<KeepOnTopCall>& stackings() const { return stackings_; }
    const std::vector<EmbedCall>& embeddings() const { return embeddings_; }
    WindowEvents& events() { return events_; }
    // A new client size, as a user or the system gives it: a shown window
    // gets a resize event. The window is one monitor's worth from then on.
    void resize(int width, int height);
    // The full-screen window's monitors change, in its coordinates, as when
    // an output is plugged in or out: the image takes their bounding size
    // from the origin (keeping its pixels), and a shown window gets the
    // monitors' handler.
    void plugMonitors(std::vector<MonitorArea> monitors);

  private:
    friend class HeadlessPlatform;
    // Gives the image the size; false when it had it already.
    bool resizeImage(int width, int height);

    HeadlessPlatform& platform_;
    WindowKind kind_;
    WindowEvents& events_;
    std::uintptr_t handle_;
    gfx::Surface image_;
    std::vector<MonitorArea> monitors_;  // of the full-screen window; else the dpi
    bool visible_ = false;
    bool closed_ = false;
    int refreshes_ = 0;
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
    std::uint64_t due_ = 0;
    bool inTimer_ = false;
    std::vector<KeepOnTopCall> stackings_;
    std::vector<EmbedCall> embeddings_;
};

}  // namespace gm
