// The saver on the headless platform: a fresh virtual system per test, the
// error protocol in a private folder, the forms unloaded afterwards.
#pragma once

#include <gtest/gtest.h>

#include "common/settings.h"
#include "errors/reporter.h"
#include "errors/trap.h"
#include "platform/headless/headless_platform.h"
#include "saver/frm_main.h"
#include "saver/saver.h"
#include "saver/show_parts.h"
#include "tests/support/test_env.h"

namespace gm::test {

class SaverTest : public ::testing::Test {
  protected:
    SaverTest() {
        platform.setProgramPath("C:\\Programme\\Glintmoor.scr");
        setPlatform(&platform);
        fullScreen = kFalse;
        errPtnr() = ErrPtnr{};
        setSeedOverride(std::nullopt);
    }
    ~SaverTest() override {
        forms() = Forms{};
        setShowParts(nullptr);
        setErrorHandler(nullptr);
        setEndProgram(nullptr);
        setExitScreensaver(nullptr);
        setPlatform(nullptr);
    }

    void put(const std::string& key, const std::string& value) {
        platform.memoryStore().SaveSetting("Glintmoor", "Settings", key, value);
    }
    std::string protocol() const { return readFile(dir.file("Glintmoor.EPT")); }
    // Runs Main; returns the exit code when the process would have ended.
    std::optional<int> runMain(const std::string& commandLine) {
        try {
            Main(commandLine);
        } catch (const ProcessExit& e) {
            return e.code;
        }
        return std::nullopt;
    }
    HeadlessWindow* window() const { return platform.activeWindow(); }

    HeadlessPlatform platform{1024, 768, 5000};
    TempDir dir;
    ScopedEnv protocolDir{"GLINTMOOR_PROTOCOL_DIR", dir.path().string()};
    ScopedEnv noSeed{"GLINTMOOR_SEED", std::nullopt};
};

inline OsVersionInfo win98() {
    OsVersionInfo v;
    v.platformId = 1, v.majorVersion = 4, v.minorVersion = 10, v.buildNumber = 0x040A08AE;
    v.csdVersion = std::string(" A ") + '\0';
    return v;
}

}  // namespace gm::test
