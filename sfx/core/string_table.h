// The stub's string table: string 0 to string 59, and the texts
// that live outside the table.
//
// The table is compiled into the stub as one raw deflate stream of its
// texts in the OEM code page 850 (and, in the Windows stub, the main dialog's
// template after them) (string_table.cpp compresses it while
// compiling). At start-up loadStringTable() inflates it into a block whose
// last two bytes hold the guard values 0xDE 0xAD, checks that both survived,
// and converts the texts to the stub's code page, UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sfx/core/stub_text.h"

namespace gm::sfx {

// Indices of the entries the stub shows (the others are never shown and
// are kept empty).
enum StringId : int {
    kStrIncomplete = 0,
    kStrInsertDisk = 1,
    kStrInsertLastDisk = 2,
    kStrWrongDisk = 4,
    kStrNoPassword = 5,
    kStrWrongPassword = 6,
    kStrNoAuto = 7,
    kStrSetup = 8,
    kStrWait = 9,
    kStrFinished = 10,
    kStrSetupDone = 11,
    kStrCancelWaiting = 12,
    kStrAuto = 13,
    kStrNeedWin32 = 14,
    kStrNoTempFolder = 15,
    kStrStillRunning = 17,
    kStrNoCommand = 18,
    kStrDeletingTemp = 19,
    kStrAskAbortUnzip = 20,
    kStrUnzipAborted = 22,
    kStrRunFailed = 23,
    kStrChdirFailed = 24,
    kStrOverwrite = 25,
    kStrTempSuffix = 27,
    kStrCannotCreateFile = 38,
    kStrUnsupportedMethod = 39,
    kStrBadCrc = 40,
    kStrBadHeader = 41,
    kStrCannotCreateFolder = 42,
    kStrDecompressing = 44,
    kStrWriteError = 45,
    kStrReadError = 46,
    kStrIoError = 47,
    kStrArchiveChanged = 49,
    kStrAboutFormat = 50,
    kStrBadDrive = 56,
};
inline constexpr int kNumStrings = 60;

// Texts outside the table, plain in the stub.
inline constexpr auto kTextInvalidHeader = stubText(
    "Carvello Self-Extractor-Dateikopf ungültig. Mögliche Ursache: Fehlerhafter Datenträger "
    "oder Dateiübertragungsfehler.");
inline constexpr auto kTextNoMemory = stubText("Nicht genügend Speicher");
inline constexpr auto kTextNoResourceMemory = stubText("no memory for resources");
inline constexpr auto kCaption = stubText("Carvello Self-Extractor");

// Texts of our own for cases the classic table has no text for (unsafe
// entry names, buffer sizes).
inline constexpr auto kTextUnsafeName = stubText(
    "Unzulässiger Dateiname im ZIP-Archiv: %s\nDer Name führt aus dem Zielverzeichnis heraus; "
    "nichts davon wird geschrieben. Unzip-Vorgang wird abgebrochen.");
inline constexpr auto kTextNameTooLong = stubText(
    "Dateiname im ZIP-Archiv zu lang: %s\nDer Pfad passt nicht in %u Zeichen; Unzip-Vorgang wird "
    "abgebrochen.");
inline constexpr auto kTextBadNameEncoding =
    stubText("Ungültiger UTF-8-Dateiname im ZIP-Archiv: %s");
inline constexpr auto kTextUnsafeLink = stubText(
    "Unzulässige Verknüpfung im ZIP-Archiv: %s -> %s\nDas Ziel liegt außerhalb des "
    "Zielverzeichnisses. Unzip-Vorgang wird abgebrochen.");
inline constexpr auto kTextCheckPassed =
    stubText("Prüfung bestanden: %u Dateien, alle Prüfsummen stimmen.");
inline constexpr auto kTextNeedsAuto = stubText(
    "Keine Eingabe: ohne Terminal fragt niemand. Mit -auto startet das Setup ohne Rückfrage.");
inline constexpr auto kTextFilesKept = stubText("Die entpackten Dateien bleiben in %s");
// Damage that the sizes show (the checksum text would print two equal or
// meaningless values).
inline constexpr auto kTextSizeMismatch = stubText(
    "ZIP beschädigt: Datei %s: %lu Bytes entpackt, angegeben sind %lu Bytes. Mögliche Ursache: "
    "Dateiübertragungsfehler.");
inline constexpr auto kTextTooMuchData = stubText(
    "ZIP beschädigt: Datei %s: mehr Daten als die angegebenen %lu Bytes. Mögliche Ursache: "
    "Dateiübertragungsfehler.");
inline constexpr auto kTextImpossibleSizes = stubText(
    "ZIP beschädigt: Datei %s: unmögliche Größenangaben (%lu Bytes gepackt, %lu Bytes entpackt). "
    "Mögliche Ursache: Dateiübertragungsfehler.");
// The self-extractor's own about text, shown by Info.
inline constexpr auto kTextAbout = stubText(
    "Carvello Self-Extractor 1.0 (Glintmoor)\nEntpackt das Setup in ein temporäres Verzeichnis, "
    "startet es und löscht die Dateien danach wieder.");

// Inflates, checks and converts the table. `window` is the decompressor's
// window (kInflateWindowAlloc bytes). False means the guard check or the
// inflation failed: the caller shows kTextInvalidHeader.
bool loadStringTable(uint8_t* window);
bool stringTableLoaded();

// String `id` in the stub's code page; "" before loadStringTable() or for an
// entry that is never shown.
const char* sfxString(int id);

// The main dialog's template (Windows stub), after the texts in the
// inflated block; nullptr before loadStringTable() or in the terminal stub.
const uint8_t* mainDialogTemplate(size_t* size);

// The compressed table as compiled into the stub (tests and the guard test).
struct ResourceBlockInfo {
    const uint8_t* compressed;
    size_t compressedSize;
    size_t blockSize;  // inflated size including the two guard bytes
};
ResourceBlockInfo resourceBlockInfo();
// Runs the guard-byte check of loadStringTable() on an arbitrary stream
// (tests feed damaged and over-long streams).
bool checkResourceStream(const uint8_t* stream, size_t size, uint8_t* block, size_t blockSize,
                         uint8_t* window);

}  // namespace gm::sfx
