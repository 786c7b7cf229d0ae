// The archive walk and the entries, through the core with an
// in-memory archive, file system and user.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

constexpr const char* kRoot = "/tmp/KRSE1.tmp";

// Starts the stub up to its dialog and runs one extraction into kRoot.
struct Extraction {
    explicit Extraction(const SfxFile& f, const char* args = "")
        : rig(f), sfx(rig.ui, rig.host, rig.source) {
        EXPECT_TRUE(f.error.empty()) << f.error;
        started = sfx.startUp(args, rig.config);
        char base[64];
        rig.host.temporaryBase(base, sizeof base);
        rig.host.createUnpackFolder(kRoot);
        sfx.setFolder(kRoot);
    }
    Outcome run() { return sfx.extract(); }
    const Bytes* file(const std::string& rel) const {
        auto it = rig.host.fs.files.find(std::string(kRoot) + "/" + toStub(rel));
        return it == rig.host.fs.files.end() ? nullptr : &it->second;
    }
    bool folder(const std::string& rel) const {
        return rig.host.fs.folders.count(std::string(kRoot) + "/" + rel) > 0;
    }
    Rig rig;
    Sfx sfx;
    bool started = false;
};

ZipEntryPlan entry(const std::string& name, const Bytes& data, uint16_t method = 8) {
    ZipEntryPlan e;
    e.name = name;
    e.data = data;
    e.method = method;
    return e;
}

TEST(Archive, StoredDeflatedAndFolderEntries) {
    const Bytes big = mixedData(150000, 1);
    ZipEntryPlan dir = entry("docs/", {}, 0);
    ZipEntryPlan onlyDir = entry("empty/nested/", {}, 0);
    const SfxFile f =
        makeSfx(buildZip({entry("setup.exe", bytesOf("MZ setup"), 0), entry("data/big.bin", big),
                          dir, onlyDir, entry("docs/readme.txt", bytesOf("Lies mich")),
                          entry("exactly2048", mixedData(2048, 5), 0), entry("empty.txt", {}, 0)})
                    .bytes);
    Extraction x(f);
    ASSERT_TRUE(x.started);
    EXPECT_EQ(x.run(), Outcome::Ok);
    ASSERT_NE(x.file("setup.exe"), nullptr);
    EXPECT_EQ(stringOf(*x.file("setup.exe")), "MZ setup");
    EXPECT_EQ(*x.file("data/big.bin"), big);
    EXPECT_EQ(stringOf(*x.file("docs/readme.txt")), "Lies mich");
    EXPECT_EQ(*x.file("exactly2048"), mixedData(2048, 5));
    EXPECT_TRUE(x.file("empty.txt")->empty());
    EXPECT_TRUE(x.folder("empty/nested"));  // a folder entry with nothing in it
    EXPECT_TRUE(x.folder("data"));
    EXPECT_EQ(x.sfx.filesWritten(), 5u);
    EXPECT_EQ(x.sfx.bytesWritten(), big.size() + 8 + 9 + 2048);
    EXPECT_TRUE(x.rig.ui.messages.empty());
    // File times from the DOS date and time.
    EXPECT_EQ(x.rig.host.fs.times[std::string(kRoot) + "/setup.exe"].date, 0x5A88);
    EXPECT_TRUE(x.rig.ui.saw("") == false);
    EXPECT_FALSE(x.rig.ui.statuses.empty());
    EXPECT_EQ(x.rig.ui.statuses.front(), "Dekomprimiere setup.exe");
}

TEST(Archive, UnixModesFromTheCentralDirectory) {
    ZipEntryPlan e = entry("run.sh", bytesOf("#!/bin/sh\n"));
    e.unixMode = 0755;
    Extraction x(makeSfx(buildZip({e}).bytes));
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_EQ(x.rig.host.fs.modes[std::string(kRoot) + "/run.sh"], 0755u);
}

TEST(Archive, EncryptedStoredAndDeflatedEntries) {
    ZipEntryPlan a = entry("a.txt", bytesOf("geheimer Inhalt"), 0);
    a.password = "Kennwort";
    ZipEntryPlan b = entry("b.bin", mixedData(40000, 2));
    b.password = "Kennwort";
    const SfxFile f = makeSfx(buildZip({a, b}).bytes);
    EXPECT_TRUE(f.config.flags2 & kF2Encrypted);  // found by reading the archive
    Extraction x(f);
    x.sfx.setPassword("Kennwort");
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_EQ(stringOf(*x.file("a.txt")), "geheimer Inhalt");
    EXPECT_EQ(*x.file("b.bin"), mixedData(40000, 2));
}

TEST(Archive, WrongPasswordStopsAtTheFirstEncryptedEntry) {
    ZipEntryPlan plain = entry("first.txt", bytesOf("ok"));
    ZipEntryPlan a = entry("a.txt", bytesOf("geheim"));
    a.password = "richtig";
    Extraction x(makeSfx(buildZip({plain, a, entry("after.txt", bytesOf("x"))}).bytes));
    x.sfx.setPassword("falsch");
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_TRUE(x.rig.ui.saw("Falsches Kennwort angegeben"));
    EXPECT_NE(x.file("first.txt"), nullptr);
    EXPECT_EQ(x.file("a.txt"), nullptr);
    EXPECT_EQ(x.file("after.txt"), nullptr);
}

TEST(Archive, MissingPasswordIsString5) {
    ZipEntryPlan a = entry("a.txt", bytesOf("geheim"));
    a.password = "richtig";
    Extraction x(makeSfx(buildZip({a}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_TRUE(x.rig.ui.saw("Kein Kennwort angegeben"));
}

TEST(Archive, UnsupportedMethodStopsTheRun) {
    // mksfx refuses the method: it is set in the finished file.
    SfxFile f = makeSfx(buildZip({entry("before", bytesOf("1")), entry("odd.bin", bytesOf("xxxx")),
                                  entry("after", bytesOf("2"))})
                            .bytes);
    const std::string name = "odd.bin";
    const auto at = std::search(f.bytes.begin(), f.bytes.end(), name.begin(), name.end());
    ASSERT_NE(at, f.bytes.end());
    store16le(&*at - 30 + 8, 12);  // bzip2
    Extraction x(f);
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_TRUE(x.rig.ui.saw("Nicht unterstützte Kompressionsmethode"));
    EXPECT_NE(x.file("before"), nullptr);
    EXPECT_EQ(x.file("odd.bin"), nullptr);  // refused before its file is made
    EXPECT_EQ(x.file("after"), nullptr);
}

TEST(Archive, DamagedStreamIsReportedThroughTheChecksum) {
    ZipEntryPlan d = entry("damaged.bin", mixedData(30000, 3));
    d.flipDataByte = true;
    Extraction x(makeSfx(buildZip({d}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    ASSERT_EQ(x.rig.ui.messages.size(), 1u);
    // This stream's damage shows in its checksum or, first, in more data
    // than declared; never in a message of the decompressor.
    const std::string& text = x.rig.ui.messages[0].text;
    EXPECT_EQ(text.rfind("ZIP beschädigt: Datei /tmp/KRSE1.tmp/damaged.bin: ", 0), 0u) << text;
    EXPECT_TRUE(text.find("Fehlerhafte Prüfsumme") != std::string::npos ||
                text.find("mehr Daten als die angegebenen 30000 Bytes") != std::string::npos)
        << text;
    EXPECT_EQ(x.rig.ui.messages[0].icon, Icon::Error);
    EXPECT_EQ(x.rig.ui.messages[0].caption, "Carvello Self-Extractor");
}

// Sizes that disagree with the data say so; an entry that outgrows its
// declared size is stopped before more than that is written.
TEST(Archive, SizeDamageSaysWhatIsWrong) {
    struct Case {
        uint16_t method;
        size_t size;
        int64_t delta;
        const char* text;
        size_t written;
    };
    for (const Case& c :
         {Case{8, 200000, 1000 - 200000, "mehr Daten als die angegebenen 1000 Bytes", 0},
          Case{8, 5000, +7, "5000 Bytes entpackt, angegeben sind 5007 Bytes", 5000},
          Case{0, 5000, +7, "unmögliche Größenangaben (5000 Bytes gepackt, 5007 Bytes", 0}}) {
        ZipEntryPlan e = entry("f.bin", mixedData(c.size, 4), c.method);
        e.declaredSizeDelta = c.delta;
        Extraction x(makeSfx(buildZip({e}).bytes));
        EXPECT_EQ(x.run(), Outcome::Failed) << c.text;
        ASSERT_EQ(x.rig.ui.messages.size(), 1u) << c.text;
        EXPECT_NE(x.rig.ui.messages[0].text.find(c.text), std::string::npos)
            << x.rig.ui.messages[0].text;
        EXPECT_EQ(x.rig.host.fs.written, c.written) << c.text;
    }
}

TEST(Archive, WrongCrcIsString40WithBothValues) {
    ZipEntryPlan d = entry("f.txt", bytesOf("hello"), 0);
    d.breakCrc = true;
    Extraction x(makeSfx(buildZip({d}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    char expected[200];
    std::snprintf(expected, sizeof expected, "Fehlerhafte Prüfsumme %08lx (sollte %08lx sein)",
                  static_cast<unsigned long>(crcOf(bytesOf("hello"))),
                  static_cast<unsigned long>(crcOf(bytesOf("hello")) ^ 0x5A5A5A5A));
    EXPECT_TRUE(x.rig.ui.saw(expected));
    EXPECT_NE(x.file("f.txt"), nullptr);  // stays until the clean-up
}

TEST(Archive, PathTraversalIsRefusedAndNothingIsWritten) {
    for (const char* name : {"../evil.txt", "sub/../../evil.txt", "/../evil.txt", "..\\evil.txt",
                             "sub\\..\\..\\evil.txt"}) {
        Extraction x(makeSfx(buildZip({entry("ok.txt", bytesOf("1")), entry(name, bytesOf("evil")),
                                       entry("later.txt", bytesOf("2"))})
                                 .bytes));
        EXPECT_EQ(x.run(), Outcome::Failed) << name;
        EXPECT_TRUE(x.rig.ui.saw("Unzulässiger Dateiname")) << name;
        for (const auto& [path, data] : x.rig.host.fs.files) {
            EXPECT_EQ(path.rfind(std::string(kRoot) + "/", 0), 0u) << name << ": " << path;
            EXPECT_NE(stringOf(data), "evil") << name;
        }
        EXPECT_EQ(x.file("later.txt"), nullptr);
    }
}

// A leading separator is stripped; a drive is refused only on Windows.
TEST(Archive, AbsoluteNamesLandInsideTheFolder) {
    struct Case {
        const char *name, *lands;
    };
    for (const Case& c : {Case{"/etc/evil.txt", "etc/evil.txt"},
                          Case{"\\\\server\\share\\x.txt", "server/share/x.txt"},
                          Case{"C:\\evil.txt", kWindowsNameRules ? nullptr : "C:/evil.txt"},
                          Case{"a:b.txt", kWindowsNameRules ? nullptr : "a:b.txt"}}) {
        Extraction x(makeSfx(buildZip({entry(c.name, bytesOf("inside"))}).bytes));
        EXPECT_EQ(x.run(), c.lands ? Outcome::Ok : Outcome::Failed) << c.name;
        EXPECT_EQ(x.rig.host.fs.files.size(), c.lands ? 1u : 0u) << c.name;
        if (c.lands) {
            EXPECT_NE(x.file(c.lands), nullptr) << c.name;
        }
    }
}

TEST(Archive, FolderEntryTraversalIsRefused) {
    Extraction x(makeSfx(buildZip({entry("../outside/", {}, 0)}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_EQ(x.rig.host.fs.folders.count("/tmp/outside"), 0u);
}

TEST(Archive, DataDescriptorsWithAndWithoutSignature) {
    for (bool signature : {true, false}) {
        for (uint16_t method : {uint16_t(0), uint16_t(8)}) {
            ZipEntryPlan a = entry("a.bin", mixedData(70000, 4), method);
            a.descriptor = true;
            a.descriptorSignature = signature;
            ZipEntryPlan b = entry("b.txt", bytesOf("nach dem Deskriptor"), method);
            b.descriptor = true;
            b.descriptorSignature = signature;
            b.zeroLocalSizes = false;  // sizes in the header too, CRC as well
            Extraction x(makeSfx(buildZip({a, b, entry("c.txt", bytesOf("zuletzt"))}).bytes));
            EXPECT_EQ(x.run(), Outcome::Ok) << signature << method;
            ASSERT_NE(x.file("c.txt"), nullptr);
            EXPECT_EQ(*x.file("a.bin"), mixedData(70000, 4));
            EXPECT_EQ(stringOf(*x.file("b.txt")), "nach dem Deskriptor");
            EXPECT_EQ(stringOf(*x.file("c.txt")), "zuletzt");
        }
    }
}

TEST(Archive, EncryptedEntryWithDescriptorChecksTheTimeByte) {
    ZipEntryPlan a = entry("a.txt", bytesOf("geheim mit Deskriptor"));
    a.password = "pw";
    a.descriptor = true;
    Extraction x(makeSfx(buildZip({a}).bytes));
    x.sfx.setPassword("pw");
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_EQ(stringOf(*x.file("a.txt")), "geheim mit Deskriptor");
}

TEST(Archive, ImpossibleSizesAreDamageNeverReadPast) {
    // Stored entry whose sizes differ.
    ZipEntryPlan s = entry("s.txt", bytesOf("abcdef"), 0);
    s.localCompressedSizeDelta = 1000;
    Extraction x(makeSfx(buildZip({s}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_TRUE(x.rig.ui.saw("ZIP beschädigt"));
    EXPECT_EQ(x.file("s.txt"), nullptr);
    // Encrypted entry shorter than its 12-byte header.
    ZipEntryPlan e = entry("e.txt", bytesOf("x"), 0);
    e.password = "pw";
    e.localCompressedSizeDelta = -10;
    Extraction y(makeSfx(buildZip({e}).bytes));
    y.sfx.setPassword("pw");
    EXPECT_EQ(y.run(), Outcome::Failed);
    EXPECT_TRUE(y.rig.ui.saw("ZIP beschädigt"));
}

TEST(Archive, Utf8FlagAndUnicodePathField) {
    ZipEntryPlan u = entry("Grüße.txt", bytesOf("1"));
    u.extraFlags = 0x0800;
    ZipEntryPlan o = entry(std::string("M\x81ll.txt"), bytesOf("2"));  // code page 850
    // Info-ZIP: a local-code-page name with its UTF-8 form in field 0x7075.
    ZipEntryPlan p = entry(std::string("Caf\x82.txt"), bytesOf("3"));
    {
        const std::string utf8 = "Café.txt";
        const uint32_t crc = crcOf(bytesOf(p.name));
        Bytes x = {0x75, 0x70, static_cast<uint8_t>(5 + utf8.size()), 0, 1};
        for (int i = 0; i < 4; ++i) x.push_back(static_cast<uint8_t>(crc >> (8 * i)));
        x.insert(x.end(), utf8.begin(), utf8.end());
        p.extra = x;
    }
    // From a Unix host (Info-ZIP zip on Linux): UTF-8 without bit 11; an
    // old Unix archive in code page 850 is not valid UTF-8 and converts.
    ZipEntryPlan unixUtf8 = entry("Größe.txt", bytesOf("4"));
    unixUtf8.unixMode = 0644;
    ZipEntryPlan unixOem = entry(std::string("K\x84se.txt"), bytesOf("5"));
    unixOem.unixMode = 0644;
    Extraction x(makeSfx(buildZip({u, o, p, unixUtf8, unixOem}).bytes));
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_NE(x.file("Grüße.txt"), nullptr);
    EXPECT_NE(x.file("Müll.txt"), nullptr);
    EXPECT_NE(x.file("Café.txt"), nullptr);
    EXPECT_NE(x.file("Größe.txt"), nullptr);
    EXPECT_NE(x.file("Käse.txt"), nullptr);
}

// Links made on Unix are restored as links when they stay inside the
// folder; one that points outside stops the run before it is made.
TEST(Archive, SymbolicLinksStayInside) {
    struct Case {
        const char *name, *target;
        bool inside;
    };
    for (const Case& c : {Case{"current", "v1/readme", true}, Case{"a/b/up", "../../top", true},
                          Case{"a/here", ".", true}, Case{"out", "../x", false},
                          Case{"a/out", "../../x", false}, Case{"abs", "/etc/passwd", false},
                          Case{"a/zig", "b/../../..", false}, Case{"a/zag", "./b/../x", false}}) {
        ZipEntryPlan link = entry(c.name, bytesOf(c.target), 0);
        link.unixMode = 0120777;
        Extraction x(makeSfx(buildZip({link, entry("after.txt", bytesOf("2"))}).bytes));
        EXPECT_EQ(x.run(), c.inside ? Outcome::Ok : Outcome::Failed) << c.name;
        const auto made = x.rig.host.fs.links.find(std::string(kRoot) + "/" + c.name);
        EXPECT_EQ(made != x.rig.host.fs.links.end() && made->second == c.target, c.inside)
            << c.name;
        EXPECT_EQ(x.file(c.name), nullptr) << c.name;  // never a file holding the target
        EXPECT_EQ(x.rig.ui.saw("Unzulässige Verknüpfung"), !c.inside) << c.name;
        EXPECT_EQ(x.file("after.txt") != nullptr, c.inside) << c.name;
    }
}

TEST(Archive, NamesThatDoNotFitAreRefused) {
    Extraction x(makeSfx(buildZip({entry(std::string(300, 'n'), bytesOf("1"))}).bytes));
    EXPECT_EQ(x.run(), Outcome::Failed);
    EXPECT_TRUE(x.rig.ui.saw("zu lang"));
    // Fits as a name, not as a full path.
    Extraction y(makeSfx(buildZip({entry(std::string(255, 'n'), bytesOf("1"))}).bytes));
    EXPECT_EQ(y.run(), Outcome::Failed);
    EXPECT_TRUE(y.rig.ui.saw("zu lang"));
    EXPECT_TRUE(y.rig.host.fs.files.empty());
}

TEST(Archive, OverwriteQuestionWhenAsked) {
    const Bytes zip =
        buildZip({entry("a.txt", bytesOf("neu")), entry("b.txt", bytesOf("neu"))}).bytes;
    for (Answer a : {Answer::Yes, Answer::No, Answer::Cancel}) {
        Extraction x(makeSfx(zip));
        x.sfx.overwriteWithoutAsking = false;
        x.rig.host.fs.files[std::string(kRoot) + "/a.txt"] = bytesOf("alt");
        x.rig.ui.answer = [a](const Message&) { return a; };
        const Outcome o = x.run();
        EXPECT_TRUE(
            x.rig.ui.saw("Datei /tmp/KRSE1.tmp/a.txt ist bereits vorhanden. Überschreiben ?"));
        if (a == Answer::Cancel) {
            EXPECT_EQ(o, Outcome::Cancelled);
            EXPECT_EQ(x.file("b.txt"), nullptr);
        } else {
            EXPECT_EQ(o, Outcome::Ok);
            EXPECT_EQ(stringOf(*x.file("a.txt")), a == Answer::Yes ? "neu" : "alt");
            EXPECT_NE(x.file("b.txt"), nullptr);
        }
    }
    // The stub's own setting: replaced without a question.
    Extraction y(makeSfx(zip));
    y.rig.host.fs.files[std::string(kRoot) + "/a.txt"] = bytesOf("alt");
    EXPECT_EQ(y.run(), Outcome::Ok);
    EXPECT_TRUE(y.rig.ui.messages.empty());
    EXPECT_EQ(stringOf(*y.file("a.txt")), "neu");
}

TEST(Archive, TestSettingWritesNothingButChecks) {
    Extraction x(
        makeSfx(buildZip({entry("d/", {}, 0), entry("d/a.txt", mixedData(5000, 1))}).bytes));
    x.sfx.testSetting = true;
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_EQ(x.rig.host.memFolder().filesCreated, 0);
    EXPECT_FALSE(x.folder("d"));
    EXPECT_EQ(x.sfx.bytesWritten(), 5000u);
    ZipEntryPlan bad = entry("b.txt", mixedData(5000, 1));
    bad.flipDataByte = true;
    Extraction y(makeSfx(buildZip({bad}).bytes));
    y.sfx.testSetting = true;
    EXPECT_EQ(y.run(), Outcome::Failed);
    EXPECT_TRUE(y.rig.ui.saw("ZIP beschädigt"));
}

TEST(Archive, InterruptAsksString20) {
    const Bytes zip = buildZip({entry("big.bin", mixedData(600000, 8))}).bytes;
    for (Answer a : {Answer::Yes, Answer::No}) {
        Extraction x(makeSfx(zip));
        x.rig.ui.interruptAtFlush = 3;
        x.rig.ui.answer = [a](const Message&) { return a; };
        const Outcome o = x.run();
        EXPECT_TRUE(x.rig.ui.saw("Unzip-Vorgang abbrechen ?"));
        EXPECT_EQ(o, a == Answer::Yes ? Outcome::Failed : Outcome::Ok);
        EXPECT_EQ(x.rig.ui.messages.size(), 1u);  // no further message after Yes
    }
}

TEST(Archive, BadSignatureAndTruncatedArchive) {
    Bytes zip = buildZip({entry("a.txt", bytesOf("1"))}).bytes;
    Bytes garbage = zip;
    garbage.insert(garbage.begin(), {'X', 'X', 'X', 'X'});
    {
        SfxFile f = makeSfx(zip);
        // Damage the first signature of the archive behind the stub.
        f.bytes[f.config.zipOffset + 2] = 'Z';
        Extraction x(f);
        EXPECT_EQ(x.run(), Outcome::Failed);
        EXPECT_TRUE(x.rig.ui.saw("Ungültiger ZIP-Dateikopf"));
    }
    {
        SfxFile f = makeSfx(zip);
        f.config.eocdOffset = 0;  // no end-record test
        f.bytes.resize(f.config.zipOffset + 20);
        Extraction x(f);
        EXPECT_EQ(x.run(), Outcome::Failed);
        EXPECT_TRUE(x.rig.ui.saw("Fehler beim Lesen von /media/disk/SETUP.EXE"));
    }
}

TEST(Archive, MeterMovesEvery64KiBWhenShown) {
    // A big archive shows the meter at once: run the
    // whole Setup press.
    Rig rig(makeSfx(buildZip({entry("big.bin", mixedData(700000, 9), 0)}).bytes));
    rig.ui.commands = {Command::Setup};
    Sfx sfx(rig.ui, rig.host, rig.source);
    sfx.main("", rig.config);
    EXPECT_TRUE(rig.ui.everShowedMeter);
    ASSERT_GE(rig.ui.meterPositions.size(), 10u);
    // 700000 bytes: one move per 64 KiB, then the final 100.
    EXPECT_EQ(rig.ui.meterPositions.back(), 100u);
    for (size_t i = 1; i < rig.ui.meterPositions.size(); ++i)
        EXPECT_GE(rig.ui.meterPositions[i], rig.ui.meterPositions[i - 1]);
}

// ---------------------------------------------------------------------------
// Spanned sets
// ---------------------------------------------------------------------------

// Splits an archive over disk files: disk 1 holds the stub (.EXE), each disk
// a part of the archive (.ZIP).
struct SpannedSet {
    SfxFile sfx;
    std::vector<FakeSource::Disk> disks;
};

SpannedSet makeSpanned(const Bytes& zip, std::vector<size_t> cuts) {
    SpannedSet s;
    SfxOptions o;
    o.flags2 = kF2Spanned;
    s.sfx = makeSfx(zip, o);
    // The archive as the disks hold it: from its start, not behind the stub.
    size_t prev = 0;
    cuts.push_back(zip.size());
    for (size_t i = 0; i < cuts.size(); ++i) {
        FakeSource::Disk d;
        d.label = "PKBACK# 00" + std::to_string(i + 1);
        d.zip.assign(zip.begin() + static_cast<ptrdiff_t>(prev),
                     zip.begin() + static_cast<ptrdiff_t>(cuts[i]));
        if (i == 0) d.exe = s.sfx.bytes;
        prev = cuts[i];
        s.disks.push_back(d);
    }
    return s;
}

TEST(Spanned, DiskChangesFollowTheLabels) {
    ZipEntryPlan a = entry("a.bin", mixedData(30000, 1), 0);
    ZipEntryPlan b = entry("b.bin", mixedData(30000, 2));
    const ZipBuild z = buildZip({a, b});
    SpannedSet set = makeSpanned(z.bytes, {z.localOffsets[1] + 10, z.localOffsets[1] + 4000});
    Rig rig(set.sfx);
    rig.source.disks = set.disks;
    int prompts = 0;
    rig.ui.answer = [&](const Message& m) {
        if (m.text.find("Please insert disk") != std::string::npos) {
            ++prompts;
            // The user puts in the disk asked for.
            const int wanted = m.text[std::strlen("Please insert disk ")] - '0';
            rig.source.inserted = static_cast<size_t>(wanted - 1);
        }
        return Answer::Ok;
    };
    Sfx sfx(rig.ui, rig.host, rig.source);
    ASSERT_TRUE(sfx.startUp("", rig.config));
    rig.host.createUnpackFolder(kRoot);
    sfx.setFolder(kRoot);
    EXPECT_EQ(sfx.extract(), Outcome::Ok);
    EXPECT_EQ(prompts, 2);  // disks 2 and 3
    EXPECT_TRUE(rig.ui.saw("Please insert disk 2 in drive A:."));
    EXPECT_EQ(rig.host.fs.files[std::string(kRoot) + "/a.bin"], mixedData(30000, 1));
    EXPECT_EQ(rig.host.fs.files[std::string(kRoot) + "/b.bin"], mixedData(30000, 2));
}

TEST(Spanned, UnreadableLabelAsksAbortRetryIgnore) {
    const ZipBuild z = buildZip({entry("a.txt", bytesOf("x"))});
    SpannedSet set = makeSpanned(z.bytes, {});
    set.disks[0].label = "NO NAME";
    Rig rig(set.sfx);
    rig.source.disks = set.disks;
    std::vector<Answer> answers = {Answer::Retry, Answer::Ignore};
    rig.ui.answer = [&](const Message& m) {
        if (m.buttons != Buttons::AbortRetryIgnore) return Answer::Ok;
        Answer a = answers.front();
        if (answers.size() > 1) answers.erase(answers.begin());
        return a;
    };
    Sfx sfx(rig.ui, rig.host, rig.source);
    ASSERT_TRUE(sfx.startUp("", rig.config));
    EXPECT_TRUE(rig.ui.saw("Insert disk number 1."));
    rig.host.createUnpackFolder(kRoot);
    sfx.setFolder(kRoot);
    EXPECT_EQ(sfx.extract(), Outcome::Ok);
    // Abort ends the run with 2.
    answers = {Answer::Abort};
    EXPECT_EQ(sfx.extract(), Outcome::Failed);
}

TEST(Spanned, StreamedEntryEndsWhereItsStreamEnds) {
    ZipEntryPlan a = entry("a.bin", mixedData(50000, 6));
    a.descriptor = true;  // zero sizes; the directory is on the last disk
    ZipEntryPlan e = entry("e.bin", mixedData(20000, 7));
    e.descriptor = true;
    e.password = "pw";
    ZipEntryPlan c = entry("c.txt", bytesOf("danach"));
    const ZipBuild z = buildZip({a, e, c});
    for (size_t cut : {size_t(0), size_t(z.localOffsets[1] - 3), size_t(z.localOffsets[1] + 40)}) {
        SpannedSet set =
            makeSpanned(z.bytes, cut ? std::vector<size_t>{cut} : std::vector<size_t>{});
        Rig rig(set.sfx);
        rig.source.disks = set.disks;
        rig.ui.answer = [&](const Message& m) {
            if (m.text.find("Please insert disk 2") != std::string::npos) rig.source.inserted = 1;
            return Answer::Ok;
        };
        Sfx sfx(rig.ui, rig.host, rig.source);
        ASSERT_TRUE(sfx.startUp("", rig.config));
        rig.host.createUnpackFolder(kRoot);
        sfx.setFolder(kRoot);
        sfx.setPassword("pw");
        EXPECT_EQ(sfx.extract(), Outcome::Ok) << cut;
        EXPECT_EQ(rig.host.fs.files[std::string(kRoot) + "/a.bin"], mixedData(50000, 6)) << cut;
        EXPECT_EQ(rig.host.fs.files[std::string(kRoot) + "/e.bin"], mixedData(20000, 7)) << cut;
        EXPECT_EQ(stringOf(rig.host.fs.files[std::string(kRoot) + "/c.txt"]), "danach") << cut;
    }
}

TEST(Spanned, StoredEntryOfUnknownSizeIsRefused) {
    ZipEntryPlan a = entry("a.bin", mixedData(500, 6), 0);
    a.descriptor = true;
    SpannedSet set = makeSpanned(buildZip({a}).bytes, {});
    Rig rig(set.sfx);
    rig.source.disks = set.disks;
    Sfx sfx(rig.ui, rig.host, rig.source);
    ASSERT_TRUE(sfx.startUp("", rig.config));
    rig.host.createUnpackFolder(kRoot);
    sfx.setFolder(kRoot);
    EXPECT_EQ(sfx.extract(), Outcome::Failed);
    EXPECT_TRUE(rig.ui.saw("ZIP beschädigt"));
}

TEST(Archive, StreamedEntryOfOneFileArchiveUsesTheCentralDirectory) {
    ZipEntryPlan a = entry("a.bin", mixedData(50000, 6));
    a.descriptor = true;
    ZipEntryPlan s = entry("s.bin", mixedData(3000, 6), 0);
    s.descriptor = true;
    Extraction x(makeSfx(buildZip({a, s}).bytes));
    EXPECT_EQ(x.run(), Outcome::Ok);
    EXPECT_EQ(*x.file("s.bin"), mixedData(3000, 6));
}

// An Authenticode signature appends a certificate table behind the archive;
// the end record's backward search starts where the table does (PE32 and
// PE32+), for the streamed entry's sizes and for the listing.
TEST(Archive, SignedFileEndsWhereItsCertificateTableStarts) {
    ZipEntryPlan a = entry("a.bin", mixedData(50000, 6));
    a.descriptor = true;
    for (const uint16_t magic : {0x10B, 0x20B}) {
        SfxFile f = makeSfx(buildZip({a}).bytes);
        f.config.eocdOffset = 0;  // found by the search
        uint8_t* d = f.bytes.data();
        d[0] = 'M', d[1] = 'Z';
        store32le(d + 0x3C, 0x80);
        store32le(d + 0x80, 0x00004550u);
        store16le(d + 0x98, magic);
        uint8_t* directories = d + 0x98 + (magic == 0x10B ? 96 : 112);
        store32le(directories - 4, 16);
        store32le(directories + 32, static_cast<uint32_t>(f.bytes.size()));
        store32le(directories + 36, 1000);
        const Bytes table = mixedData(1000, 7);
        f.bytes.insert(f.bytes.end(), table.begin(), table.end());
        Extraction x(f);
        EXPECT_EQ(x.run(), Outcome::Ok) << magic;
        EXPECT_EQ(*x.file("a.bin"), mixedData(50000, 6));
        x.rig.ui.messages.clear();
        EXPECT_EQ(x.sfx.listEntries(), 0);
        EXPECT_TRUE(x.rig.ui.saw("1 file"));
    }
}

}  // namespace
}  // namespace gm::sfx::test
