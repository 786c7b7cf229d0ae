// mksfx: finding the record, filling it, the strings and their limits, and
// the archive's offsets behind the stub.
#include <gtest/gtest.h>

#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/inflate.h"
#include "sfx/mksfx/sfx_file.h"
#include "sfx/mksfx/zip_scan.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

using namespace mksfx;

Bytes fakeStub(size_t size = 5000, size_t at = 100) {
    Bytes stub(size, 0x90);
    std::copy(std::begin(kMarker), std::end(kMarker), stub.begin() + static_cast<ptrdiff_t>(at));
    std::fill(stub.begin() + static_cast<ptrdiff_t>(at + 8),
              stub.begin() + static_cast<ptrdiff_t>(at + kConfigRecordSize), 0);
    return stub;
}

BuildRequest request() {
    BuildRequest rq;
    rq.stub = fakeStub();
    ZipEntryPlan e;
    e.name = "setup.exe";
    e.data = mixedData(10000, 3);
    ZipEntryPlan f;
    f.name = "enc.txt";
    f.data = bytesOf("x");
    f.password = "pw";
    rq.archive = buildZip({e, f}, "Kommentar").bytes;
    rq.strings[kCsCommand] = "setup.exe";
    return rq;
}

TEST(Mksfx, FillsTheRecord) {
    BuildRequest rq = request();
    rq.flags2 = kF2Auto;
    rq.waitName = "setup32";
    const BuildResult r = buildSfx(rq);
    ASSERT_TRUE(r.error.empty()) << r.error;
    const SfxConfig c = decodeConfigRecord(r.file.data() + 100);
    EXPECT_EQ(c.complete, kCompleteMark);
    EXPECT_EQ(c.stringsOffset, 5000u);
    EXPECT_GT(c.zipOffset, c.stringsOffset);
    EXPECT_EQ(c.totalSize, 10001u);
    EXPECT_EQ(c.flags1, kShippedFlags1);
    EXPECT_EQ(c.flags2, kF2Auto | kF2Encrypted);  // encrypted entries found in the archive
    EXPECT_STREQ(c.waitName, "setup32");
    // The end record is where eocdOffset says.
    EXPECT_EQ(load32le(r.file.data() + c.eocdOffset), 0x06054b50u);
    // Strings inflate to the eight strings.
    static uint8_t window[kInflateWindowAlloc];
    uint8_t text[kConfigInflatedMax];
    size_t n = 0;
    ASSERT_EQ(inflateToMemory(r.file.data() + c.stringsOffset, c.zipOffset - c.stringsOffset, text,
                              sizeof text, &n, window),
              InflateStatus::Ok);
    ConfigStrings s;
    ASSERT_TRUE(splitConfigStrings(text, n, false, &s));
    EXPECT_STREQ(s.command, "setup.exe");
}

TEST(Mksfx, RewritesOffsetsRelativeToTheFile) {
    const BuildResult r = buildSfx(request());
    ASSERT_TRUE(r.error.empty());
    ZipInfo info;
    std::string error;
    ASSERT_TRUE(scanZip(r.file, &info, &error)) << error;
    EXPECT_EQ(info.start, 0u);  // offsets count from the start of the file now
    EXPECT_EQ(info.directory + 0, load32le(r.file.data() + r.config.eocdOffset + 16));
    EXPECT_EQ(load32le(r.file.data() + r.config.zipOffset), 0x04034b50u);
}

// The file is a whole number of 8-byte units for every length of the
// archive, so that a signature goes behind it without moving anything.
TEST(Mksfx, PadsTheFileForASignature) {
    for (size_t comment = 0; comment < 8; ++comment) {
        BuildRequest rq = request();
        ZipEntryPlan e;
        e.name = "a";
        e.data = bytesOf("1");
        rq.archive = buildZip({e}, std::string(comment, 'c')).bytes;
        const BuildResult r = buildSfx(rq);
        ASSERT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.file.size() % 8, 0u) << comment;
        EXPECT_EQ(load32le(r.file.data() + r.config.eocdOffset), 0x06054b50u);
    }
}

TEST(Mksfx, RefusesWhatTheStubCannotHold) {
    {
        BuildRequest rq = request();
        rq.strings[kCsTitle] = std::string(65, 'T');
        EXPECT_NE(buildSfx(rq).error.find("title"), std::string::npos);
    }
    {
        BuildRequest rq = request();
        rq.strings[kCsCommand] = std::string(256, 'c');
        EXPECT_TRUE(buildSfx(rq).error.empty());
        rq.strings[kCsCommand] = std::string(257, 'c');
        EXPECT_NE(buildSfx(rq).error.find("command"), std::string::npos);
    }
    {
        BuildRequest rq = request();  // all strings full: more than 2304 bytes
        rq.strings[kCsAbout] = std::string(515, 'a');
        rq.strings[kCsPrompt] = std::string(513, 'p');
        rq.strings[kCsInfo] = std::string(511, 'i');
        rq.strings[kCsMessage] = std::string(256, 'm');
        rq.strings[kCsCommand] = std::string(256, 'c');
        rq.strings[kCsTitle] = std::string(64, 't');
        rq.strings[kCsReserved3] = std::string(256, 'r');
        rq.strings[kCsReserved4] = std::string(256, 's');
        EXPECT_NE(buildSfx(rq).error.find("2304"), std::string::npos);
    }
    {
        BuildRequest rq = request();
        rq.waitName = "elevenchars";
        EXPECT_NE(buildSfx(rq).error.find("--wait-for"), std::string::npos);
    }
    {
        BuildRequest rq = request();
        rq.codePage = CodePage::Windows1252;
        rq.strings[kCsMessage] = "Schnee ☃";
        EXPECT_NE(buildSfx(rq).error.find("1252"), std::string::npos);
        rq.strings[kCsMessage] = "Grüße";
        EXPECT_TRUE(buildSfx(rq).error.empty());
    }
    {
        BuildRequest rq = request();
        rq.stub.insert(rq.stub.end(), std::begin(kMarker), std::end(kMarker));
        EXPECT_NE(buildSfx(rq).error.find("2 times"), std::string::npos);
        rq.stub = Bytes(100, 0);
        EXPECT_NE(buildSfx(rq).error.find("no SfxConfig record"), std::string::npos);
    }
    {
        BuildRequest rq = request();
        const BuildResult once = buildSfx(rq);
        rq.stub = once.file;
        EXPECT_NE(buildSfx(rq).error.find("already"), std::string::npos);
    }
    {
        BuildRequest rq = request();
        rq.archive = bytesOf("not a zip at all, just some text that is long enough");
        EXPECT_NE(buildSfx(rq).error.find("not a ZIP"), std::string::npos);
    }
}

// What the stub refuses in every run is refused when the package is made,
// naming the entry; a ZIP64 field in a local header whose sizes fit is
// accepted (its values stand only for fields of all ones); 65535 entries fit
// the end record and are accepted.
TEST(Mksfx, RefusesEntriesTheStubCannotUnpack) {
    ZipEntryPlan bz;
    bz.name = "odd.bin";
    bz.data = bytesOf("xxxx");
    bz.method = 12;
    bz.compressedOverride = bytesOf("BZh9");
    ZipEntryPlan z64;
    z64.name = "big.bin";
    z64.data = bytesOf("data");
    z64.extra = {0x01, 0x00, 0x10, 0x00, 4, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    ZipEntryPlan emptyBz = bz;  // no data: the stub never looks at its method
    emptyBz.name = "empty";
    emptyBz.data.clear();
    emptyBz.compressedOverride.clear();
    struct Case {
        ZipEntryPlan entry;
        const char* error;
    };
    for (const Case& c :
         {Case{bz, "entry \"odd.bin\": compression method 12"}, Case{z64, ""}, Case{emptyBz, ""}}) {
        BuildRequest rq = request();
        ZipEntryPlan ok;
        ok.name = "ok.txt";
        ok.data = bytesOf("ok");
        rq.archive = buildZip({ok, c.entry}).bytes;
        EXPECT_EQ(buildSfx(rq).error.substr(0, std::strlen(c.error)), c.error);
        EXPECT_EQ(buildSfx(rq).error.empty(), !*c.error);
    }
    std::vector<ZipEntryPlan> many(65535);
    for (size_t i = 0; i < many.size(); ++i) {
        many[i].name = std::to_string(i);
        many[i].method = 0;
    }
    const SfxFile f = makeSfx(buildZip(many).bytes);
    ASSERT_EQ(f.error, "");
    Rig rig(f);
    Sfx sfx(rig.ui, rig.host, rig.source);
    ASSERT_TRUE(sfx.startUp("", rig.config));
    rig.host.createUnpackFolder("/tmp/KRSE1.tmp");
    sfx.setFolder("/tmp/KRSE1.tmp");
    EXPECT_EQ(sfx.extract(), Outcome::Ok);
    EXPECT_EQ(sfx.filesWritten(), 65535u);
}

// Every stub of ours, the Windows one too, reads its texts as UTF-8; code
// page 1252 is stored only when asked for.
TEST(Mksfx, TextsAreUtf8UnlessCodePage1252IsAsked) {
    static uint8_t window[kInflateWindowAlloc];
    for (const bool ask1252 : {false, true}) {
        BuildRequest rq = request();
        rq.stub[0] = 'M';
        rq.stub[1] = 'Z';
        rq.strings[kCsMessage] = "Grüße";
        if (ask1252) rq.codePage = CodePage::Windows1252;
        const BuildResult r = buildSfx(rq);
        ASSERT_TRUE(r.error.empty());
        uint8_t text[kConfigInflatedMax];
        size_t n = 0;
        ASSERT_EQ(inflateToMemory(r.file.data() + r.config.stringsOffset,
                                  r.config.zipOffset - r.config.stringsOffset, text, sizeof text,
                                  &n, window),
                  InflateStatus::Ok);
        ConfigStrings s;
        ASSERT_TRUE(splitConfigStrings(text, n, false, &s));
        EXPECT_STREQ(s.message, ask1252 ? "Gr\xFC\xDF"
                                          "e"
                                        : "Grüße");
    }
}

TEST(Mksfx, ArchiveWithBytesInFrontIsMovedWhole) {
    BuildRequest rq = request();
    const Bytes plain = rq.archive;
    // An archive that was itself appended to something (offsets from its own
    // start, bytes in front): mksfx takes the archive only.
    Bytes prefixed(777, 'P');
    prefixed.insert(prefixed.end(), plain.begin(), plain.end());
    rq.archive = prefixed;
    const BuildResult r = buildSfx(rq);
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.file.size(), 5000 + (r.config.zipOffset - r.config.stringsOffset) + plain.size());
}

}  // namespace
}  // namespace gm::sfx::test
