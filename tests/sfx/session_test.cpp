// Start-up, switches, the prompt, the planned folder,
// the Setup press with its modes, launch, wait, Close, Info, clean-up.
#include <gtest/gtest.h>

#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

Bytes smallZip() {
    ZipEntryPlan a;
    a.name = "setup.exe";
    a.data = bytesOf("MZ");
    ZipEntryPlan b;
    b.name = "lib/x.dll";
    b.data = mixedData(3000, 1);
    return buildZip({a, b}).bytes;
}

struct Session {
    explicit Session(const SfxOptions& o = {}, const Bytes& zip = smallZip())
        : rig(makeSfx(zip, o)), sfx(rig.ui, rig.host, rig.source) {}
    Ending run(const char* args = "") {
        status = sfx.main(args, rig.config);
        EXPECT_FALSE(rig.ui.runaway) << "the dialog did not close by itself";
        return sfx.ending();
    }
    size_t filesUnder(const std::string& root) const {
        size_t n = 0;
        for (const auto& [path, data] : rig.host.fs.files)
            if (path.rfind(root + "/", 0) == 0) ++n;
        return n;
    }
    bool exists(const std::string& folder) const { return rig.host.fs.folders.count(folder) > 0; }
    Rig rig;
    Sfx sfx;
    int status = -1;  // the exit status
};

// --- start-up ------------------------------------------------------------

TEST(StartUp, InfoSwitchAnywhereShowsTheInfoText) {
    for (const char* args : {"-info", "/auto -info", "x-infox"}) {
        Session s;
        EXPECT_EQ(s.run(args), Ending::InfoShown) << args;
        ASSERT_EQ(s.rig.ui.messages.size(), 1u);
        EXPECT_EQ(s.rig.ui.messages[0].text, "Info-Text");
        EXPECT_EQ(s.rig.ui.messages[0].icon, Icon::None);
        EXPECT_TRUE(s.rig.host.fs.files.empty());
    }
    Session upper;
    upper.run("-INFO");  // case-sensitive: no info
    EXPECT_FALSE(upper.rig.ui.saw("Info-Text"));
}

TEST(StartUp, Switches) {
    struct Case {
        const char* args;
        uint8_t flags2;
        bool autoMode, waitMode;
    } cases[] = {
        {"/auto", 0, true, false},     {"-Auto", 0, true, false},
        {"-AUTOX", 0, true, false},    {"-wait", 0, false, true},
        {"/WAIT now", 0, false, true}, {"-noauto", kF2Auto, false, false},
        {"-aut", 0, false, false},     {"-no", kF2Auto, true, false},
        {"", kF2Auto, true, false},    {"setup -auto", 0, true, false},
    };
    for (const Case& c : cases) {
        SfxOptions o;
        o.flags2 = c.flags2;
        Session s(o);
        ASSERT_TRUE(s.sfx.startUp(c.args, s.rig.config)) << c.args;
        EXPECT_EQ(s.sfx.autoMode(), c.autoMode) << c.args;
        EXPECT_EQ(s.sfx.waitMode(), c.waitMode) << c.args;
    }
    SfxOptions wait;
    wait.flags1 = kShippedFlags1 | kF1WaitMode;
    Session w(wait);
    ASSERT_TRUE(w.sfx.startUp("", w.rig.config));
    EXPECT_TRUE(w.sfx.waitMode());
}

// "--" ends the switches: what follows goes to the command, "-info" too.
TEST(StartUp, ArgumentsAfterDoubleDashGoToTheCommand) {
    struct Case {
        const char *args, *command;
    };
    for (const Case& c : {Case{"-auto -- /silent -info", "setup.exe /silent -info"},
                          Case{"-auto --", "setup.exe"}, Case{"-auto --x", "setup.exe"}}) {
        Session s;
        EXPECT_EQ(s.run(c.args), Ending::CommandRan) << c.args;
        EXPECT_EQ(s.rig.host.commands, std::vector<std::string>{c.command}) << c.args;
    }
}

TEST(StartUp, UnfilledRecordShowsString0) {
    Session s;
    s.rig.config.complete = 0;
    EXPECT_EQ(s.run(), Ending::Failed);
    ASSERT_EQ(s.rig.ui.messages.size(), 1u);
    EXPECT_EQ(s.rig.ui.messages[0].text,
              "This is an incomplete self-extractor;\nplease re-create the file and try again.");
    EXPECT_EQ(s.rig.ui.messages[0].icon, Icon::Error);
}

TEST(StartUp, OldSystemShowsString14) {
    Session s;
    s.rig.host.tooOld = true;
    EXPECT_EQ(s.run(), Ending::Failed);
    EXPECT_TRUE(s.rig.ui.saw("Windows 95, 98, oder NT ist notwendig"));
}

TEST(StartUp, InvalidHeader) {
    {
        Session s;
        s.rig.source.failOpen = true;
        EXPECT_EQ(s.run(), Ending::Failed);
        EXPECT_TRUE(s.rig.ui.saw("Carvello Self-Extractor-Dateikopf ungültig"));
    }
    {
        Session s;  // damaged configuration strings
        s.rig.source.stub()[s.rig.config.stringsOffset + 1] ^= 0xFF;
        s.rig.source.stub()[s.rig.config.stringsOffset + 2] ^= 0xFF;
        EXPECT_EQ(s.run(), Ending::Failed);
        EXPECT_TRUE(s.rig.ui.saw("Dateikopf ungültig"));
    }
    {
        Session s;  // strings cut short
        s.rig.config.zipOffset = s.rig.config.stringsOffset + 3;
        s.rig.config.eocdOffset = 0;
        EXPECT_EQ(s.run(), Ending::Failed);
        EXPECT_TRUE(s.rig.ui.saw("Dateikopf ungültig"));
    }
}

TEST(StartUp, ChangedArchiveShowsString49) {
    Session s;
    s.rig.config.eocdOffset -= 1;
    EXPECT_EQ(s.run(), Ending::Failed);
    EXPECT_TRUE(
        s.rig.ui.saw("ZIP ist beschädigt oder wurde seit Erstellung der EXE Datei verändert"));
}

TEST(StartUp, PromptButtonsAndCaption) {
    struct Case {
        uint8_t flags1, flags3;
        std::string title;
        Buttons buttons;
        std::string caption;
    } cases[] = {
        {kShippedFlags1, 0, "", Buttons::Ok, "Carvello Self-Extractor"},
        {kShippedFlags1, kF3PromptQuestion, "", Buttons::YesNo, "Carvello Self-Extractor"},
        {kShippedFlags1, kF3PromptQuestion | kF3PromptOkCancel, "", Buttons::OkCancel,
         "Carvello Self-Extractor"},
        {kShippedFlags1 | kF1CustomTitle, 0, "Mein Paket", Buttons::Ok, "Mein Paket"},
        {kShippedFlags1 | kF1CustomTitle, 0, "", Buttons::Ok, "Carvello Self-Extractor"},
        {kShippedFlags1, 0, "Ohne Flag", Buttons::Ok, "Carvello Self-Extractor"},
    };
    for (const Case& c : cases) {
        SfxOptions o;
        o.prompt = "Bereit?";
        o.flags1 = c.flags1;
        o.flags3 = c.flags3;
        o.title = c.title;
        Session s(o);
        s.rig.ui.answer = [](const Message& m) {
            return m.buttons == Buttons::YesNo      ? Answer::No
                   : m.buttons == Buttons::OkCancel ? Answer::Cancel
                                                    : Answer::Ok;
        };
        const Ending e = s.run();
        ASSERT_FALSE(s.rig.ui.messages.empty());
        EXPECT_EQ(s.rig.ui.messages[0].text, "Bereit?");
        EXPECT_EQ(s.rig.ui.messages[0].buttons, c.buttons);
        EXPECT_EQ(s.rig.ui.messages[0].caption, c.caption);
        // No and Cancel end the program before the dialog; OK goes on to it.
        EXPECT_EQ(s.rig.ui.title.empty(), c.buttons != Buttons::Ok);
        EXPECT_EQ(e, Ending::Declined);
    }
}

// --- the dialog ----------------------------------------------------------

TEST(Dialog, TitleAndInfoButton) {
    SfxOptions o;
    o.flags2 = kF2InfoDots;
    Session s(o);
    s.rig.ui.commands = {Command::Info, Command::Close};
    EXPECT_EQ(s.run(), Ending::Declined);
    EXPECT_EQ(s.rig.ui.title, "Carvello Self-Extractor - SETUP.EXE");
    EXPECT_EQ(s.rig.ui.heading, "Carvello Self-Extractor - SETUP.EXE");
    EXPECT_EQ(s.rig.ui.dialogMessage, "Willkommen");
    EXPECT_TRUE(s.rig.ui.infoDots);
    ASSERT_EQ(s.rig.ui.messages.size(), 1u);
    EXPECT_EQ(s.rig.ui.messages[0].text, fromStub(kTextAbout.c_str()));

    SfxOptions t;
    t.flags1 = kShippedFlags1 | kF1CustomTitle;
    t.flags3 = kF3TitleAsCaption;
    t.about = "Paket 1.0";
    Session u(t);
    u.rig.ui.commands = {Command::Info};
    u.run();
    EXPECT_EQ(u.rig.ui.title, "Setup");  // custom title empty: string 8
    EXPECT_EQ(u.rig.ui.messages[0].text, "Paket 1.0\n\n" + fromStub(kTextAbout.c_str()) + "\n");
    SfxOptions v = t;
    v.title = "Winterpaket";
    Session w(v);
    w.run();
    EXPECT_EQ(w.rig.ui.title, "Winterpaket");
    EXPECT_EQ(w.rig.ui.heading, "Winterpaket");
}

TEST(Dialog, AutomaticModeRunsEverythingWithoutAClick) {
    SfxOptions o;
    o.flags2 = kF2Auto;
    Session s(o);
    std::map<std::string, Bytes> seen;
    EXPECT_EQ(s.run(), Ending::CommandRan);
    EXPECT_EQ(s.rig.host.commands, std::vector<std::string>{"setup.exe"});
    EXPECT_TRUE(s.rig.ui.messages.empty());
    EXPECT_EQ(s.rig.host.unpackRoot, "/tmp/KRSE1.tmp");
    // The folder is gone afterwards.
    EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
    EXPECT_EQ(s.filesUnder("/tmp/KRSE1.tmp"), 0u);
    EXPECT_FALSE(s.rig.host.entered);
    EXPECT_EQ(s.rig.ui.statuses.back(), "Lösche temporäre Dateien");
}

TEST(Dialog, PlannedFolderSkipsTakenNamesAndFallsBack) {
    Session s;
    s.rig.host.fs.files["/tmp/KRSE1.tmp"];
    s.rig.host.fs.folders.insert("/tmp/KRSE2.tmp");
    s.rig.ui.commands = {Command::Setup};
    s.run();
    EXPECT_EQ(s.rig.host.unpackRoot, "/tmp/KRSE3.tmp");
    // The placeholder of the name used is removed; the taken name is not.
    EXPECT_FALSE(s.rig.host.fs.files.count("/tmp/KRSE3.tmp"));
    EXPECT_TRUE(s.rig.host.fs.files.count("/tmp/KRSE1.tmp"));

    Session t;
    for (unsigned i = 1; i <= 999; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/tmp/KRSE%x.tmp", i);
        t.rig.host.fs.files[name];
    }
    t.rig.ui.commands = {Command::Setup};
    t.run();
    EXPECT_EQ(t.rig.host.unpackRoot, "/tmp/TEMP");
    EXPECT_FALSE(t.exists("/tmp/TEMP"));  // private, created fresh: deleted again
}

TEST(Dialog, FolderCreationFallsBackToKrtThenString15) {
    Session s;
    s.rig.host.fs.failCreate = {"/tmp/KRSE1.tmp", "/tmp/KRT00000"};
    s.rig.ui.commands = {Command::Setup};
    EXPECT_EQ(s.run(), Ending::CommandRan);
    EXPECT_EQ(s.rig.host.unpackRoot, "/tmp/KRT00001");

    Session t;
    t.rig.host.fs.failCreate.insert("/tmp/KRSE1.tmp");
    for (unsigned i = 0; i < 100; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/tmp/KRT%05u", i);
        t.rig.host.fs.failCreate.insert(name);
    }
    t.rig.ui.commands = {Command::Setup, Command::Setup};
    EXPECT_EQ(t.run(), Ending::Failed);
    EXPECT_EQ(t.rig.ui.count("Konnte kein temporäres Verzeichnis erstellen"), 1u);
    EXPECT_FALSE(t.rig.ui.setupEnabled);
    EXPECT_TRUE(t.rig.host.commands.empty());
}

TEST(Dialog, FailedExtractionRemovesTheFolder) {
    ZipEntryPlan ok;
    ok.name = "ok.txt";
    ok.data = bytesOf("fine");
    ZipEntryPlan bad;
    bad.name = "bad.bin";
    bad.data = mixedData(20000, 2);
    bad.flipDataByte = true;
    Session s({}, buildZip({ok, bad}).bytes);
    s.rig.ui.commands = {Command::Setup};
    EXPECT_EQ(s.run(), Ending::Failed);
    EXPECT_TRUE(s.rig.ui.saw("ZIP beschädigt"));
    EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
    EXPECT_EQ(s.filesUnder("/tmp/KRSE1.tmp"), 0u);
    EXPECT_EQ(s.rig.ui.statuses.back(), "Unzip-Vorgang abgebrochen");
    EXPECT_TRUE(s.rig.host.commands.empty());
    // An abort the user confirms (string 20, Yes) is a cancel, not an error.
    Session a({}, buildZip({bad, ok}).bytes);
    a.rig.ui.commands = {Command::Setup};
    a.rig.ui.interruptAtFlush = 0;
    EXPECT_EQ(a.run(), Ending::Cancelled);
    EXPECT_TRUE(a.rig.ui.saw("Unzip-Vorgang abbrechen ?"));
    EXPECT_FALSE(a.exists("/tmp/KRSE1.tmp"));
}

TEST(Dialog, PasswordDialog) {
    ZipEntryPlan a;
    a.name = "a.txt";
    a.data = bytesOf("geheim");
    a.password = "pw";
    const Bytes zip = buildZip({a}).bytes;
    {
        Session s({}, zip);
        s.rig.ui.commands = {Command::Setup};
        s.rig.ui.passwords = {"", "pw"};  // an empty field keeps the dialog open
        EXPECT_EQ(s.run(), Ending::CommandRan);
        EXPECT_EQ(s.rig.ui.passwordPrompts, 2);
    }
    {
        Session s({}, zip);
        s.rig.ui.commands = {Command::Setup, Command::Close};
        EXPECT_EQ(s.run(), Ending::Declined);  // Cancel: Setup enabled again, nothing ran
        EXPECT_TRUE(s.rig.ui.setupEnabled);
        EXPECT_EQ(s.filesUnder("/tmp/KRSE1.tmp"), 0u);
        EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));  // the empty folder does not stay
    }
    {
        Session s({}, zip);  // Cancel, then Setup again with the password
        s.rig.ui.commands = {Command::Setup, Command::Setup};
        s.rig.ui.passwords = {kCancelPassword, "pw"};
        EXPECT_EQ(s.run(), Ending::CommandRan);
        EXPECT_EQ(s.rig.host.unpackRoot, "/tmp/KRSE1.tmp");  // made anew
    }
    {
        Session s({}, zip);
        s.rig.ui.commands = {Command::Setup};
        s.rig.ui.passwords = {"falsch"};
        EXPECT_EQ(s.run(), Ending::Failed);
        EXPECT_TRUE(s.rig.ui.saw("Falsches Kennwort angegeben"));
        EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
    }
}

TEST(Dialog, WaitModeKeepsTheDialogUntilConfirmed) {
    SfxOptions o;
    o.flags1 = kShippedFlags1 | kF1WaitMode;
    Session s(o);
    int asked = 0;
    s.rig.ui.answer = [&](const Message& m) {
        if (m.text.find("Sind Sie sicher, daß das SETUP Programm beendet ist?") == 0)
            return ++asked == 1 ? Answer::No : Answer::Yes;
        return Answer::Ok;
    };
    s.rig.ui.commands = {Command::Setup, Command::Setup, Command::Setup};
    EXPECT_EQ(s.run(), Ending::CommandRan);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(s.rig.ui.setupButton, "&Fertig");
    EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
}

TEST(Dialog, CloseWhileWaitingForConfirmationLeavesTheFiles) {
    SfxOptions o;
    o.flags1 = kShippedFlags1 | kF1WaitMode;
    Session s(o);
    s.rig.ui.commands = {Command::Setup, Command::Close};
    EXPECT_EQ(s.run(), Ending::Cancelled);
    EXPECT_TRUE(
        s.rig.ui.saw("Wenn Sie jetzt abbrechen, werden die temporären Dateien nicht gelöscht."));
    EXPECT_TRUE(s.exists("/tmp/KRSE1.tmp"));
    EXPECT_EQ(s.filesUnder("/tmp/KRSE1.tmp"), 2u);
}

TEST(Dialog, CloseWhileTheProgramRunsAsksString17) {
    {
        Session s;
        s.rig.host.commandPolls = 100;
        s.rig.ui.commands = {Command::Setup};
        s.rig.ui.pumped = {Command::None, Command::Close};
        EXPECT_EQ(s.run(), Ending::Cancelled);
        EXPECT_TRUE(
            s.rig.ui.saw("setup.exe ist immer noch aktiv; wenn Sie jetzt abbrechen werden "
                         "temoräre Dateien nicht gelöscht. Trotzdem abbrechen?"));
        EXPECT_TRUE(s.exists("/tmp/KRSE1.tmp"));  // left in place
    }
    {
        Session s;
        s.rig.host.commandPolls = 5;
        s.rig.ui.commands = {Command::Setup};
        s.rig.ui.pumped = {Command::Close};
        s.rig.ui.answer = [](const Message&) { return Answer::No; };
        EXPECT_EQ(s.run(), Ending::CommandRan);  // No: it waits on and finishes
        EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
    }
}

TEST(Dialog, WaitsForTheNamedProgram) {
    SfxOptions o;
    o.flags1 = kShippedFlags1 | kF1WaitForProgram;
    o.waitName = "setup32";
    Session s(o);
    s.rig.host.programPolls = 4;
    s.rig.ui.commands = {Command::Setup};
    EXPECT_EQ(s.run(), Ending::CommandRan);
    EXPECT_GE(s.rig.ui.pumpedMs, 10000u + 4 * 1000u);
    EXPECT_LT(s.rig.host.programPolls, 0);
    EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
}

TEST(Dialog, NoCommandShowsString18AndKeepsTheFiles) {
    SfxOptions o;
    o.command = "";
    Session s(o);
    s.rig.ui.commands = {Command::Setup};
    EXPECT_EQ(s.run(), Ending::Failed);
    EXPECT_TRUE(s.rig.ui.saw("Fehler: es wurde kein Folgekommando definiert."));
    EXPECT_TRUE(s.exists("/tmp/KRSE1.tmp"));
    EXPECT_TRUE(s.sfx.keepFiles());
}

// Once the command has run, the exit status is its own, 127 too; string 23
// only for a command that could not be started (its files stay, and the
// user is told where).
TEST(Dialog, ExitStatusIsTheCommandsOnceItRan) {
    struct Case {
        bool starts;
        int exit;
        Ending ending;
        int status;
    };
    for (const Case& c :
         {Case{false, 0, Ending::Failed, 2}, Case{true, 127, Ending::CommandRan, 127},
          Case{true, 3, Ending::CommandRan, 3}, Case{true, 0, Ending::CommandRan, 0}}) {
        Session s;
        s.rig.host.commandStarts = c.starts;
        s.rig.host.commandExit = c.exit;
        s.rig.ui.commands = {Command::Setup};
        EXPECT_EQ(s.run(), c.ending) << c.exit;
        EXPECT_EQ(s.status, c.status);
        EXPECT_EQ(s.rig.ui.saw("Fehler beim Ausführen des Befehls setup.exe"), !c.starts);
        EXPECT_EQ(s.exists("/tmp/KRSE1.tmp"), !c.starts);
        EXPECT_EQ(s.rig.ui.saw("Die entpackten Dateien bleiben in /tmp/KRSE1.tmp"), !c.starts);
    }
}

TEST(Dialog, FolderThatCannotBeEnteredShowsString24) {
    Session s;
    s.rig.host.enterFails = true;
    s.rig.ui.commands = {Command::Setup};
    EXPECT_EQ(s.run(), Ending::Failed);
    EXPECT_TRUE(s.rig.ui.saw("Fehler beim Wechseln in das \"Unzip-Verzeichnis\""));
    EXPECT_TRUE(s.rig.host.commands.empty());
}

// A shut-down while the command runs stops the command (politely, then by
// force), removes the folder once, and ends non-zero; at the start question
// there is no folder to delete.
TEST(Dialog, ShutdownWhileRunningStopsTheCommandThenFinishesOnce) {
    for (bool ignoresStop : {false, true}) {
        Session s;
        s.rig.host.commandPolls = 100000;
        s.rig.host.ignoresStop = ignoresStop;
        s.rig.ui.commands = {Command::Setup};
        s.rig.ui.pumped = {Command::Shutdown};
        EXPECT_EQ(s.run(), Ending::Interrupted);
        EXPECT_NE(s.status, 0);
        const std::vector<bool> stops =
            ignoresStop ? std::vector<bool>{false, true} : std::vector<bool>{false};
        EXPECT_EQ(s.rig.host.stops, stops);
        EXPECT_FALSE(s.exists("/tmp/KRSE1.tmp"));
        EXPECT_EQ(std::count(s.rig.ui.statuses.begin(), s.rig.ui.statuses.end(),
                             "Lösche temporäre Dateien"),
                  1);
        EXPECT_TRUE(s.rig.ui.messages.empty()) << s.rig.ui.messages[0].text;
    }
    Session q;
    q.rig.ui.commands = {Command::Shutdown};
    EXPECT_EQ(q.run(), Ending::Interrupted);
    EXPECT_NE(q.status, 0);
    EXPECT_TRUE(q.rig.ui.statuses.empty() ||
                q.rig.ui.statuses.back() != "Lösche temporäre Dateien");
    EXPECT_TRUE(q.rig.ui.messages.empty());
}

TEST(CleanUp, UndeletableFileIsRetriedThenLeftForTheRestart) {
    Session s;
    s.rig.host.fs.undeletable.insert("/tmp/KRSE1.tmp/lib/x.dll");
    s.rig.ui.commands = {Command::Setup};
    s.run();
    EXPECT_GE(s.rig.ui.pumpedMs, 1000u);
    EXPECT_EQ(s.rig.host.scheduledForRestart, std::vector<std::string>{"/tmp/KRSE1.tmp/lib/x.dll"});
    EXPECT_FALSE(s.rig.host.fs.files.count("/tmp/KRSE1.tmp/setup.exe"));
    // The folder that stays is named.
    EXPECT_TRUE(s.rig.ui.saw("Die entpackten Dateien bleiben in /tmp/KRSE1.tmp"));
}

TEST(CleanUp, GuardRefusesShortAndProtectedFolders) {
    for (const std::string folder : {"/", "/tm", "/tmp"}) {
        ZipEntryPlan bad;
        bad.name = "bad.bin";
        bad.data = mixedData(2000, 1);
        bad.flipDataByte = true;
        Session s({}, buildZip({bad}).bytes);
        s.rig.host.forceFolder = folder;
        const std::string keep = folder == "/" ? "/keep.txt" : folder + "/keep.txt";
        s.rig.host.fs.files[keep] = bytesOf("x");
        s.rig.ui.commands = {Command::Setup};
        EXPECT_EQ(s.run(), Ending::Failed) << folder;
        EXPECT_TRUE(s.rig.ui.saw("Fehler beim Wechseln in das \"Unzip-Verzeichnis\"")) << folder;
        EXPECT_TRUE(s.rig.host.fs.files.count(keep)) << folder;
    }
}

}  // namespace
}  // namespace gm::sfx::test
