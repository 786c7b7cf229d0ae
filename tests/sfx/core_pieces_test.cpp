// The small pieces of the core: CRC-32, the traditional cipher, code pages,
// the string table and its guard bytes, the configuration record and
// strings, entry names, WinInit.Ini.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sfx/core/codepage.h"
#include "sfx/core/crc32.h"
#include "sfx/core/deflate_encode.h"
#include "sfx/core/entry_name.h"
#include "sfx/core/inflate.h"
#include "sfx/core/sfx_config.h"
#include "sfx/core/string_table.h"
#include "sfx/core/stub_text.h"
#include "sfx/core/wininit.h"
#include "sfx/core/zipcrypto.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

// --- CRC-32 ---------------------------------------------------------------

TEST(Crc32, CheckValue) {
    crc32InitTables();
    const char* s = "123456789";
    const auto* p = reinterpret_cast<const uint8_t*>(s);
    EXPECT_EQ(~crc32UpdateBytewise(kCrcInit, p, 9), 0xCBF43926u);
    EXPECT_EQ(~crc32Update(kCrcInit, p, 9), 0xCBF43926u);
    EXPECT_EQ(~crc32Update(kCrcInit, p, 0), 0u);
}

TEST(Crc32, FastPathsAgreeWithBytewiseAtEveryLengthAndAlignment) {
    crc32InitTables();
    const Bytes data = mixedData(5000, 77);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t len : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 255, 1000, 4096, 4900}) {
            const uint8_t* p = data.data() + offset;
            const uint32_t ref = crc32UpdateBytewise(kCrcInit, p, len);
            EXPECT_EQ(crc32Update(kCrcInit, p, len), ref) << offset << "/" << len;
            EXPECT_EQ(crc32UpdateSlice16(kCrcInit, p, len), ref) << offset << "/" << len;
        }
    }
    // Piecewise updates chain.
    uint32_t reg = kCrcInit;
    for (size_t i = 0; i < data.size(); i += 333)
        reg = crc32Update(reg, data.data() + i, std::min<size_t>(333, data.size() - i));
    EXPECT_EQ(reg, crc32UpdateBytewise(kCrcInit, data.data(), data.size()));
}

// --- traditional encryption ---------------------------------------------------

TEST(ZipCrypto, DecryptsWhatTheApplicationNoteCipherEncrypts) {
    crc32InitTables();
    // The writer in sfx_test_support encrypts; decrypting must give back the
    // plain bytes, both bytewise and in bulk.
    ZipEntryPlan e;
    e.name = "x";
    e.method = 0;
    e.password = "geheim";
    e.data = bytesOf("Der Schneemann steht im Garten.");
    const ZipBuild z = buildZip({e});
    const size_t dataAt = 30 + 1;
    Bytes enc(z.bytes.begin() + dataAt, z.bytes.begin() + dataAt + 12 + e.data.size());
    ZipKeys keys;
    keys.start("geheim", 6);
    Bytes plain = enc;
    keys.decrypt(plain.data(), plain.size());
    EXPECT_EQ(plain[11], static_cast<uint8_t>(crcOf(e.data) >> 24));
    EXPECT_EQ(Bytes(plain.begin() + 12, plain.end()), e.data);
    ZipKeys one;
    one.start("geheim", 6);
    for (size_t i = 0; i < enc.size(); ++i) EXPECT_EQ(one.decryptByte(enc[i]), plain[i]);
}

// --- code pages -----------------------------------------------------------------

TEST(CodePage, Cp850ToUtf8AndTo1252) {
    const char oem[] = "\x84\x94\x81\xE1\x8E\x99\x9A";  // äöüßÄÖÜ in code page 850
    char out[64];
    ASSERT_EQ(oemToUtf8(oem, 7, out, sizeof out), 14);
    EXPECT_STREQ(out, "äöüßÄÖÜ");
    char ansi[8];
    std::memcpy(ansi, oem, 8);
    oemToAnsi1252(ansi, 7);
    EXPECT_STREQ(ansi, "\xE4\xF6\xFC\xDF\xC4\xD6\xDC");
    EXPECT_EQ(oemToUtf8(oem, 7, out, 14), -1);  // no room for the NUL
}

TEST(CodePage, Utf8ToCodePages) {
    char out[32];
    EXPECT_EQ(utf8ToCodePage("Grüße €", std::strlen("Grüße €"), out, sizeof out, false), 7);
    EXPECT_STREQ(out,
                 "Gr\xFC\xDF"
                 "e \x80");
    EXPECT_EQ(utf8ToCodePage("€", 3, out, sizeof out, true), -1);  // not in 850
    EXPECT_EQ(utf8ToCodePage("\xC3", 1, out, sizeof out, false), -1);
    EXPECT_FALSE(isValidUtf8("\xC0\xAF", 2));      // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80", 3));  // surrogate
    EXPECT_TRUE(isValidUtf8("aä€😀", 10));
}

// --- string table -----------------------------------------------------------------

class StringTable : public ::testing::Test {
  protected:
    void SetUp() override {
        static uint8_t window[kInflateWindowAlloc];
        ASSERT_TRUE(loadStringTable(window));
    }
};

TEST_F(StringTable, TextsAreExactlyTheShippedTexts) {
    EXPECT_EQ(fromStub(sfxString(0)),
              "This is an incomplete self-extractor;\nplease re-create the file and try again.");
    EXPECT_EQ(fromStub(sfxString(1)), "Please insert disk %d in drive %s.");
    EXPECT_EQ(fromStub(sfxString(2)), "Please insert last disk of set in drive %s.");
    EXPECT_EQ(fromStub(sfxString(4)),
              "The disk in the drive appears to be\nmissing or has an incorrect label.\n"
              "Insert disk number %d.");
    EXPECT_EQ(fromStub(sfxString(5)), "Kein Kennwort angegeben");
    EXPECT_EQ(fromStub(sfxString(6)), "Falsches Kennwort angegeben");
    EXPECT_EQ(fromStub(sfxString(7)), "NOAUTO");
    EXPECT_EQ(fromStub(sfxString(8)), "Setup");
    EXPECT_EQ(fromStub(sfxString(9)), "WAIT");
    EXPECT_EQ(fromStub(sfxString(10)), "&Fertig");
    EXPECT_EQ(fromStub(sfxString(11)),
              "Sind Sie sicher, daß das SETUP Programm beendet ist? Klicken Sie zum Beenden auf "
              "Ja, oder Abbrechen um weiterhin zu warten.");
    EXPECT_EQ(fromStub(sfxString(12)),
              "Wenn Sie jetzt abbrechen, werden die temporären Dateien nicht gelöscht.  Sind Sie "
              "sicher, daß Sie jetzt abbrechen möchten?");
    EXPECT_EQ(fromStub(sfxString(13)), "AUTO");
    EXPECT_EQ(fromStub(sfxString(14)),
              "Windows 95, 98, oder NT ist notwendig, um 32-Bit selbstextrahierende Dateien zu "
              "erstellen");
    EXPECT_EQ(fromStub(sfxString(15)),
              "Konnte kein temporäres Verzeichnis erstellen, in das die Dateien extrahiert "
              "werden sollten.");
    EXPECT_EQ(fromStub(sfxString(17)),
              "%s ist immer noch aktiv; wenn Sie jetzt abbrechen werden temoräre Dateien nicht "
              "gelöscht. Trotzdem abbrechen?");
    EXPECT_EQ(fromStub(sfxString(18)), "Fehler: es wurde kein Folgekommando definiert.");
    EXPECT_EQ(fromStub(sfxString(19)), "Lösche temporäre Dateien");
    EXPECT_EQ(fromStub(sfxString(20)), "Unzip-Vorgang abbrechen ?");
    EXPECT_EQ(fromStub(sfxString(22)), "Unzip-Vorgang abgebrochen");
    EXPECT_EQ(fromStub(sfxString(23)), "Fehler beim Ausführen des Befehls %s");
    EXPECT_EQ(fromStub(sfxString(24)), "Fehler beim Wechseln in das \"Unzip-Verzeichnis\"");
    EXPECT_EQ(fromStub(sfxString(25)), "Datei %s ist bereits vorhanden. Überschreiben ?");
    EXPECT_EQ(fromStub(sfxString(27)), "\\TEMP");
    EXPECT_EQ(fromStub(sfxString(38)), "Ausgabe-Datei kann nicht erstellt werden: %s");
    EXPECT_EQ(fromStub(sfxString(39)), "Nicht unterstützte Kompressionsmethode");
    EXPECT_EQ(fromStub(sfxString(40)),
              "ZIP beschädigt: Datei %s: Fehlerhafte Prüfsumme %08lx (sollte %08lx sein). "
              "Mögliche Ursache: Dateiübertragungsfehler.");
    EXPECT_EQ(fromStub(sfxString(41)),
              "Ungültiger ZIP-Dateikopf. Mögliche Ursache: Dateiübertragungsfehler.");
    EXPECT_EQ(fromStub(sfxString(42)),
              "Konnte %s nicht erstellen - Unzip-Vorgang wird abgebrochen");
    EXPECT_EQ(fromStub(sfxString(44)), "Dekomprimiere %s");
    EXPECT_EQ(fromStub(sfxString(45)),
              "Fehler beim Schreiben von %s. Mögliche Ursache: Datenträger voll.");
    EXPECT_EQ(fromStub(sfxString(46)),
              "Fehler beim Lesen von %s. Mögliche Ursache: Fehlerhafter Datenträger oder "
              "Dateiübertragungsfehler.");
    EXPECT_EQ(fromStub(sfxString(47)),
              "E/A-Fehler bei Datei. Mögliche Ursache: Dateiübertragungsfehler.");
    EXPECT_EQ(fromStub(sfxString(49)),
              "ZIP ist beschädigt oder wurde seit Erstellung der EXE Datei verändert");
    EXPECT_EQ(fromStub(sfxString(50)), "%s\n\n%s\n");
    EXPECT_EQ(fromStub(sfxString(56)), "Drive %s is not a valid drive, unzip operation cancelled.");
    EXPECT_EQ(fromStub(sfxString(3)), "");
    EXPECT_EQ(fromStub(sfxString(59)), "");
    EXPECT_EQ(fromStub(sfxString(60)), "");
    EXPECT_EQ(fromStub(kTextInvalidHeader.c_str()),
              "Carvello Self-Extractor-Dateikopf ungültig. Mögliche Ursache: Fehlerhafter "
              "Datenträger oder Dateiübertragungsfehler.");
    EXPECT_EQ(fromStub(kTextNoMemory.c_str()), "Nicht genügend Speicher");
}

TEST_F(StringTable, GuardBytesCatchOverlongAndDamagedBlocks) {
    static uint8_t window[kInflateWindowAlloc];
    const ResourceBlockInfo info = resourceBlockInfo();
    Bytes block(info.blockSize);
    const Bytes stream(info.compressed, info.compressed + info.compressedSize);
    EXPECT_TRUE(
        checkResourceStream(stream.data(), stream.size(), block.data(), block.size(), window));
    EXPECT_EQ(block[block.size() - 2], 0xDE);
    EXPECT_EQ(block[block.size() - 1], 0xAD);
    // A block one byte too small: the text runs into the guard bytes.
    EXPECT_FALSE(
        checkResourceStream(stream.data(), stream.size(), block.data(), block.size() - 1, window));
    // A stream that decodes to more than the block.
    Bytes longer(info.blockSize + 10, 'x');
    Bytes longStream(deflateEncodeBound(longer.size()));
    longStream.resize(
        deflateEncode(longer.data(), longer.size(), longStream.data(), longStream.size()));
    EXPECT_FALSE(checkResourceStream(longStream.data(), longStream.size(), block.data(),
                                     block.size(), window));
    // A damaged stream.
    Bytes broken = stream;
    broken.resize(broken.size() / 2);
    EXPECT_FALSE(
        checkResourceStream(broken.data(), broken.size(), block.data(), block.size(), window));
}

// --- configuration -------------------------------------------------------------------

TEST(Config, RecordRoundTripsAtItsOffsets) {
    SfxConfig c;
    c.zipOffset = 32962;
    c.stringsOffset = 32768;
    c.eocdOffset = 0x01020304;
    c.totalSize = 123456;
    c.flags1 = 0x0A;
    c.flags2 = 0x81;
    c.flags3 = 0x1F;
    std::memcpy(c.waitName, "setup32", 7);
    c.complete = 0xFFFF;
    uint8_t rec[kConfigRecordSize] = {'K', 'R', 'V', 1, 's', 'f', 'x', 2};
    encodeConfigRecord(c, rec);
    EXPECT_EQ(rec[12], 32962 & 0xFF);
    EXPECT_EQ(rec[16], 0x00);
    EXPECT_EQ(rec[17], 0x80);
    EXPECT_EQ(rec[20], 0x04);
    EXPECT_EQ(rec[28], 0x0A);
    EXPECT_EQ(rec[29], 0x81);
    EXPECT_EQ(rec[30], 0x1F);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec + 32), 7), "setup32");
    EXPECT_EQ(rec[42], 0xFF);
    EXPECT_EQ(rec[43], 0xFF);
    const SfxConfig d = decodeConfigRecord(rec);
    EXPECT_EQ(d.zipOffset, c.zipOffset);
    EXPECT_EQ(d.eocdOffset, c.eocdOffset);
    EXPECT_EQ(d.totalSize, c.totalSize);
    EXPECT_EQ(d.flags2, 0x81);
    EXPECT_STREQ(d.waitName, "setup32");
    EXPECT_EQ(d.complete, 0xFFFF);
}

TEST(Config, StringsSplitIntoTheirBuffers) {
    std::string block;
    const char* values[8] = {"about", "varnholtsetup.exe", "", "", "Nachricht", "Titel", "",
                             "Info"};
    for (const char* v : values) block += std::string(v) + '\0';
    ConfigStrings s;
    const auto* p = reinterpret_cast<const uint8_t*>(block.data());
    ASSERT_TRUE(splitConfigStrings(p, block.size(), true, &s));
    EXPECT_STREQ(s.command, "varnholtsetup.exe");
    EXPECT_STREQ(s.message, "Nachricht");
    EXPECT_STREQ(s.title, "Titel");
    EXPECT_STREQ(s.info, "Info");
    // Without flags1 0x10 the title slot is skipped.
    ConfigStrings t;
    ASSERT_TRUE(splitConfigStrings(p, block.size(), false, &t));
    EXPECT_STREQ(t.title, "");
    EXPECT_STREQ(t.info, "Info");
    // Seven strings only: not in full.
    EXPECT_FALSE(splitConfigStrings(p, block.size() - 5, true, &t));
    // A string longer than its buffer is cut.
    std::string b2 =
        std::string("a\0b\0\0\0m\0", 8) + std::string(100, 'T') + std::string("\0\0i\0", 4);
    ConfigStrings u;
    ASSERT_TRUE(
        splitConfigStrings(reinterpret_cast<const uint8_t*>(b2.data()), b2.size(), true, &u));
    EXPECT_EQ(std::strlen(u.title), 64u);
}

// --- entry names ---------------------------------------------------------------------

std::string rel(const char* name, bool windows = false) {
    char out[kPathBuffer];
    NameStatus s = makeRelativePath(name, std::strlen(name), out, sizeof out, windows);
    if (s == NameStatus::Unsafe) return "UNSAFE";
    if (s == NameStatus::TooLong) return "TOOLONG";
    return out;
}

TEST(EntryName, SafeNamesBecomeRelativePaths) {
    EXPECT_EQ(rel("setup.exe"), "setup.exe");
    EXPECT_EQ(rel("a/b/c.txt"), "a/b/c.txt");
    EXPECT_EQ(rel("a\\b\\c.txt"), "a/b/c.txt");
    EXPECT_EQ(rel("folder/"), "folder");
    EXPECT_EQ(rel("./a//b"), "a/b");
    EXPECT_EQ(rel("..a/b..c/.d"), "..a/b..c/.d");
}

TEST(EntryName, TraversalIsRefusedOnEveryPlatform) {
    for (bool windows : {false, true})
        for (const char* bad :
             {"../evil", "a/../../evil", "a/..", "..\\evil", "a\\..\\..\\x", "/../x", "\\..\\x",
              "a/ ../x", "a/.. /x", "a/.../x", "", "/", "./", "//"})
            EXPECT_EQ(rel(bad, windows), "UNSAFE") << bad << " windows=" << windows;
    EXPECT_EQ(rel("con.txt", true), "UNSAFE");
    EXPECT_EQ(rel("a/LPT1", true), "UNSAFE");
    EXPECT_EQ(rel("console.txt", true), "console.txt");
    EXPECT_EQ(rel("con.txt", false), "con.txt");
}

// A leading separator is stripped; ':' is refused only where it means a
// drive or a stream (Windows).
TEST(EntryName, LeadingSeparatorsAreStrippedColonsRefusedOnWindows) {
    struct Case {
        const char *name, *posix, *windows;
    };
    for (const Case& c : {Case{"/etc/passwd", "etc/passwd", "etc/passwd"},
                          Case{"\\windows\\x", "windows/x", "windows/x"},
                          Case{"\\\\server\\share\\x", "server/share/x", "server/share/x"},
                          Case{"C:\\x", "C:/x", "UNSAFE"}, Case{"C:x", "C:x", "UNSAFE"},
                          Case{"a/C:/x", "a/C:/x", "UNSAFE"}, Case{"a:b", "a:b", "UNSAFE"},
                          Case{"f.txt:stream", "f.txt:stream", "UNSAFE"}}) {
        EXPECT_EQ(rel(c.name, false), c.posix) << c.name;
        EXPECT_EQ(rel(c.name, true), c.windows) << c.name;
    }
}

TEST(EntryName, NamesAndPathsMustFit) {
    const std::string longName(kPathBuffer, 'n');
    EXPECT_EQ(rel(longName.c_str()), "TOOLONG");
    char out[kPathBuffer];
    const std::string name(250, 'x');
    EXPECT_EQ(makeFullPath("/tmp/KRSE1.tmp", name.c_str(), '/', out, sizeof out),
              NameStatus::TooLong);
    EXPECT_EQ(makeFullPath("/tmp/KRSE1.tmp", "a/b", '\\', out, sizeof out), NameStatus::Ok);
    EXPECT_STREQ(out, "/tmp/KRSE1.tmp\\a\\b");
    EXPECT_EQ(makeFullPath("C:\\", "a/b", '\\', out, sizeof out), NameStatus::Ok);
    EXPECT_STREQ(out, "C:\\a\\b");
}

TEST(EntryName, ConversionHonoursTheUtf8Flag) {
    char out[kPathBuffer];
    const uint8_t oem[] = {'M', 0x81, 'l', 'l'};  // "Müll" in code page 850
    ASSERT_EQ(convertEntryName(oem, 4, false, out, sizeof out), NameStatus::Ok);
    EXPECT_EQ(fromStub(out), "Müll");
    const std::string utf8 = "Müll";
    ASSERT_EQ(convertEntryName(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), true,
                               out, sizeof out),
              NameStatus::Ok);
    EXPECT_EQ(fromStub(out), "Müll");  // not converted twice
    const uint8_t bad[] = {'a', 0xC3};
    EXPECT_EQ(convertEntryName(bad, 2, true, out, sizeof out), NameStatus::BadEncoding);
    const uint8_t nul[] = {'a', 0, 'b'};
    EXPECT_EQ(convertEntryName(nul, 3, false, out, sizeof out), NameStatus::Unsafe);
    // 200 characters of code page 850 need 400 bytes of UTF-8.
    const Bytes wide(200, 0x81);
    if (kStubCodePageIsUtf8) {
        EXPECT_EQ(convertEntryName(wide.data(), wide.size(), false, out, sizeof out),
                  NameStatus::TooLong);
    }
}

// --- WinInit.Ini -------------------------------------------------------------------------

std::string winInit(const std::string& text, const char* path) {
    char out[4096];
    const long n = winInitAddDeletion(text.data(), text.size(), path, out, sizeof out);
    return n < 0 ? "ERROR" : std::string(out, static_cast<size_t>(n));
}

TEST(WinInit, LineGoesAfterTheRenameSection) {
    EXPECT_EQ(winInit("[Other]\r\na=b\r\n[Rename]\r\nNUL=C:\\old\r\n", "C:\\T\\f.dll"),
              "[Other]\r\na=b\r\n[Rename]\r\nNUL=C:\\T\\f.dll\r\nNUL=C:\\old\r\n");
}

TEST(WinInit, SectionIsAppendedWhenMissing) {
    EXPECT_EQ(winInit("", "C:\\f"), "[Rename]\r\nNUL=C:\\f\r\n");
    EXPECT_EQ(winInit("[x]\r\n", "C:\\f"), "[x]\r\n[Rename]\r\nNUL=C:\\f\r\n");
    // Exact case only.
    EXPECT_EQ(winInit("[rename]\r\n", "C:\\f"), "[rename]\r\n[Rename]\r\nNUL=C:\\f\r\n");
    // A last line without its line end.
    EXPECT_EQ(winInit("[x]", "C:\\f"), "[x]\r\n[Rename]\r\nNUL=C:\\f\r\n");
    // The section at the very end.
    EXPECT_EQ(winInit("[Rename]\r\n", "C:\\f"), "[Rename]\r\nNUL=C:\\f\r\n");
}

}  // namespace
}  // namespace gm::sfx::test
