// The stub's string table: its texts, compressed while compiling, and the
// start-up code that inflates, checks and converts them.
#include "sfx/core/string_table.h"

#include <array>
#include <cstring>

#include "sfx/core/codepage.h"
#include "sfx/core/deflate_encode.h"
#include "sfx/core/dialog_templates.h"
#include "sfx/core/inflate.h"

namespace gm::sfx {
namespace {

// ---------------------------------------------------------------------------
// The texts, exactly as the stub shows them (UTF-8 here; the block stores
// them in code page 850). Entries the stub never shows are empty.
// ---------------------------------------------------------------------------
constexpr const char* kSource[kNumStrings] = {
    /*  0 */ "This is an incomplete self-extractor;\nplease re-create the file and try again.",
    /*  1 */ "Please insert disk %d in drive %s.",
    /*  2 */ "Please insert last disk of set in drive %s.",
    /*  3 */ "",
    /*  4 */
    "The disk in the drive appears to be\nmissing or has an incorrect label.\n"
    "Insert disk number %d.",
    /*  5 */ "Kein Kennwort angegeben",
    /*  6 */ "Falsches Kennwort angegeben",
    /*  7 */ "NOAUTO",
    /*  8 */ "Setup",
    /*  9 */ "WAIT",
    /* 10 */ "&Fertig",
    /* 11 */
    "Sind Sie sicher, daß das SETUP Programm beendet ist? Klicken Sie zum Beenden auf Ja, "
    "oder Abbrechen um weiterhin zu warten.",
    /* 12 */
    "Wenn Sie jetzt abbrechen, werden die temporären Dateien nicht gelöscht.  Sind Sie "
    "sicher, daß Sie jetzt abbrechen möchten?",
    /* 13 */ "AUTO",
    /* 14 */
    "Windows 95, 98, oder NT ist notwendig, um 32-Bit selbstextrahierende Dateien zu "
    "erstellen",
    /* 15 */
    "Konnte kein temporäres Verzeichnis erstellen, in das die Dateien extrahiert werden "
    "sollten.",
    /* 16 */ "",
    /* 17 */
    "%s ist immer noch aktiv; wenn Sie jetzt abbrechen werden temoräre Dateien nicht "
    "gelöscht. Trotzdem abbrechen?",
    /* 18 */ "Fehler: es wurde kein Folgekommando definiert.",
    /* 19 */ "Lösche temporäre Dateien",
    /* 20 */ "Unzip-Vorgang abbrechen ?",
    /* 21 */ "",
    /* 22 */ "Unzip-Vorgang abgebrochen",
    /* 23 */ "Fehler beim Ausführen des Befehls %s",
    /* 24 */ "Fehler beim Wechseln in das \"Unzip-Verzeichnis\"",
    /* 25 */ "Datei %s ist bereits vorhanden. Überschreiben ?",
    /* 26 */ "",
    /* 27 */ "\\TEMP",
    /* 28 */ "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    /* 38 */ "Ausgabe-Datei kann nicht erstellt werden: %s",
    /* 39 */ "Nicht unterstützte Kompressionsmethode",
    /* 40 */
    "ZIP beschädigt: Datei %s: Fehlerhafte Prüfsumme %08lx (sollte %08lx sein). Mögliche "
    "Ursache: Dateiübertragungsfehler.",
    /* 41 */ "Ungültiger ZIP-Dateikopf. Mögliche Ursache: Dateiübertragungsfehler.",
    /* 42 */ "Konnte %s nicht erstellen - Unzip-Vorgang wird abgebrochen",
    /* 43 */ "",
    /* 44 */ "Dekomprimiere %s",
    /* 45 */ "Fehler beim Schreiben von %s. Mögliche Ursache: Datenträger voll.",
    /* 46 */
    "Fehler beim Lesen von %s. Mögliche Ursache: Fehlerhafter Datenträger oder "
    "Dateiübertragungsfehler.",
    /* 47 */ "E/A-Fehler bei Datei. Mögliche Ursache: Dateiübertragungsfehler.",
    /* 48 */ "",
    /* 49 */ "ZIP ist beschädigt oder wurde seit Erstellung der EXE Datei verändert",
    /* 50 */ "%s\n\n%s\n",
    /* 51 */ "",
    "",
    "",
    "",
    "",
    /* 56 */ "Drive %s is not a valid drive, unzip operation cancelled.",
    /* 57 */ "",
    "",
    "",
};

constexpr size_t utf8Length(const char* s) {
    size_t n = 0;
    while (s[n] != '\0') ++n;
    return n;
}

// Size of the block in code page 850: every text and its NUL.
constexpr size_t oemBlockSize() {
    size_t size = 0;
    for (const char* s : kSource) {
        const size_t n = utf8Length(s);
        for (size_t i = 0; i < n;) {
            size_t used = 1;
            decodeUtf8(s + i, n - i, &used);
            i += used;
            ++size;
        }
        ++size;
    }
    return size;
}
// The Windows stub's main dialog template follows the texts in the same
// block; the terminal stub has none.
#ifdef _WIN32
constexpr size_t kTemplateSize = writeDialogTemplate(kMainDialog, kMainItems, nullptr);
#else
constexpr size_t kTemplateSize = 0;
#endif
constexpr size_t kTextBytes = oemBlockSize();
constexpr size_t kBlockSize = kTextBytes + kTemplateSize + 2;  // + the guard bytes
constexpr uint8_t kGuard0 = 0xDE, kGuard1 = 0xAD;

constexpr std::array<uint8_t, kTextBytes + kTemplateSize> makeOemBlock() {
    std::array<uint8_t, kTextBytes + kTemplateSize> block{};
    size_t w = 0;
    for (const char* s : kSource) {
        const size_t n = utf8Length(s);
        for (size_t i = 0; i < n;) {
            size_t used = 1;
            const int b = unicodeToCp850(decodeUtf8(s + i, n - i, &used));
            if (b < 0) compileTimeError("string table text outside code page 850");
            block[w++] = static_cast<uint8_t>(b);
            i += used;
        }
        block[w++] = 0;
    }
    if constexpr (kTemplateSize > 0) {
        const auto dialog = dialogTemplate<kTemplateSize>(kMainDialog, kMainItems);
        for (uint8_t b : dialog) block[w++] = b;
    }
    return block;
}

struct Compressed {
    std::array<uint8_t, deflateEncodeBound(kTextBytes + kTemplateSize)> data;
    size_t size;
};
constexpr Compressed compressBlock() {
    constexpr auto block = makeOemBlock();
    Compressed c{};
    c.size = deflateEncode(block.data(), block.size(), c.data.data(), c.data.size());
    if (c.size == 0) compileTimeError("string table does not compress");
    return c;
}
constexpr Compressed kCompressedFull = compressBlock();
// Only the compressed bytes go into the stub.
constexpr std::array<uint8_t, kCompressedFull.size> trimCompressed() {
    std::array<uint8_t, kCompressedFull.size> a{};
    for (size_t i = 0; i < a.size(); ++i) a[i] = kCompressedFull.data[i];
    return a;
}
constexpr std::array<uint8_t, kCompressedFull.size> kResourceStream = trimCompressed();

// The converted texts: UTF-8 is at most three bytes per code-page-850
// character (the box-drawing characters).
constexpr size_t kConvertedCapacity = 3 * kTextBytes + 1;
char gTexts[kConvertedCapacity];
uint16_t gOffsets[kNumStrings + 1];
bool gLoaded = false;
// The block as inflated: the template stays there, after the texts.
uint8_t gBlock[kBlockSize];

}  // namespace

bool checkResourceStream(const uint8_t* stream, size_t size, uint8_t* block, size_t blockSize,
                         uint8_t* window) {
    if (blockSize < 2) return false;
    block[blockSize - 2] = kGuard0;
    block[blockSize - 1] = kGuard1;
    size_t produced = 0;
    InflateStatus s = inflateToMemory(stream, size, block, blockSize, &produced, window);
    // An over-long stream overwrites the guard bytes (or is cut at the end
    // of the block); a short or damaged one fails the inflation.
    return s == InflateStatus::Ok && block[blockSize - 2] == kGuard0 &&
           block[blockSize - 1] == kGuard1;
}

bool loadStringTable(uint8_t* window) {
    uint8_t* const block = gBlock;
    if (!checkResourceStream(kResourceStream.data(), kResourceStream.size(), block, kBlockSize,
                             window))
        return false;
    // Index the texts, then convert them to UTF-8.
    size_t w = 0, r = 0;
    for (int id = 0; id < kNumStrings; ++id) {
        if (r >= kTextBytes) return false;
        const auto* text = reinterpret_cast<const char*>(block + r);
        const size_t n = strnlen(text, kTextBytes - r);
        if (r + n >= kTextBytes) return false;  // no NUL inside the text part
        gOffsets[id] = static_cast<uint16_t>(w);
        const long len = oemToUtf8(text, n, gTexts + w, kConvertedCapacity - w);
        if (len < 0) return false;
        w += static_cast<size_t>(len) + 1;
        r += n + 1;
    }
    gOffsets[kNumStrings] = static_cast<uint16_t>(w);
    gLoaded = true;
    return true;
}

bool stringTableLoaded() { return gLoaded; }

const uint8_t* mainDialogTemplate(size_t* size) {
    *size = kTemplateSize;
    return gLoaded && kTemplateSize > 0 ? gBlock + kTextBytes : nullptr;
}

const char* sfxString(int id) {
    if (!gLoaded || id < 0 || id >= kNumStrings) return "";
    return gTexts + gOffsets[id];
}

ResourceBlockInfo resourceBlockInfo() {
    return {kResourceStream.data(), kResourceStream.size(), kBlockSize};
}

}  // namespace gm::sfx
