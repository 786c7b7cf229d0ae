// One entry of the archive walk: its local header, then a folder made, an
// entry skipped, or a file unpacked and checked below the unpacking folder.
//
// Index
//   [SECTION] The local header    fields, name, extra field, deferred sizes
//   [SECTION] One entry           folders, declined entries, written files
//   [SECTION] Entry data          password check, unpacking, data descriptor
//   [SECTION] Folder chains
//
// Damage is refused as early as it shows: a name that does not fit, is
// unsafe or badly encoded before anything is made; sizes that cannot be
// right before any data is read; data past the declared size before it is
// written (flushPiece); the checksum and the size once the data has ended.
#include <cstdio>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/crc32.h"
#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "sfx/core/zip_format.h"
#include "sfx/core/zip_signatures.h"

namespace gm::sfx {

// What the walk knows of the entry it is at.
struct LocalEntry {
    uint64_t headerOffset = 0;
    uint16_t flags = 0, method = 0;
    DosTime time{};
    uint32_t headerCrc = 0;         // the local header's CRC-32 (the password check uses it)
    uint32_t crc = 0;               // the expected CRC-32
    uint64_t csize = 0, usize = 0;  // compressed and uncompressed size
    bool zip64 = false;             // a ZIP64 field: 8-byte sizes, in the descriptor too
    // AES: the strength (1-3; 0 = not AES), the format's version (AE-2
    // stores no CRC-32); `method` is then the data's.
    unsigned aesStrength = 0, aesVersion = 0;
    bool descriptor = false;  // a data descriptor follows the data
    bool isFolder = false;
    bool inDirectory = false;  // `central` holds the directory's values
    CentralEntry central{};
    bool sizeKnown = true;  // false: the deflate stream's end decides
    bool crcFromDescriptor = false;
    // The raw name, the Unicode Path field's name, and the name's path
    // below the unpacking folder.
    uint8_t rawName[kPathBuffer] = {};
    uint16_t nameLength = 0;
    uint8_t unicodeRaw[kPathBuffer] = {};
    size_t unicodeLength = 0;
    bool unicodeName = false;
    char rel[kPathBuffer] = {};
};

// ============================================================================
// [SECTION] The local header
// ============================================================================

// The header's fields, its name and extra field, the central directory's
// values for it, and the checked path (rel, entryPath_).
Outcome Sfx::readLocalHeader(LocalEntry* e) {
    e->headerOffset = streamPosition() - 4;
    uint8_t h[kLocalHeaderSize];
    SFX_TRY(readExact(h, sizeof h));
    e->flags = load16le(h + 2);
    e->method = load16le(h + 4);
    e->time = DosTime{load16le(h + 6), load16le(h + 8)};
    e->headerCrc = e->crc = load32le(h + 10);
    e->csize = load32le(h + 14);
    e->usize = load32le(h + 18);
    e->nameLength = load16le(h + 22);
    e->descriptor = (e->flags & kFlagDescriptor) != 0;
    encrypted_ = (e->flags & kFlagEncrypted) != 0;
    aesEntry_ = false;
    SFX_TRY(readNameAndExtra(e, load16le(h + 24)));
    e->isFolder = e->nameLength > 0 &&
                  (e->rawName[e->nameLength - 1] == '/' || e->rawName[e->nameLength - 1] == '\\');
    e->inDirectory = lookUpCentralEntry(e->headerOffset, &e->central) == Outcome::Ok;
    SFX_TRY(resolveEntryPath(e));
    // Sizes of all ones without a ZIP64 field to hold them.
    if (!e->zip64 && (e->csize == kZip64Marker || e->usize == kZip64Marker))
        return failString(kStrBadHeader);
    takeDeferredSizes(e);
    if (!e->sizeKnown && !spanned_) return fail(kTextImpossibleSizes, entryPath_, 0ul, 0ul);
    return Outcome::Ok;
}

// The name (refused when it does not fit its buffer) and the extra field,
// skipped except for a Unicode Path field that matches the name, the ZIP64
// field with the sizes and the AES field of an AES entry.
Outcome Sfx::readNameAndExtra(LocalEntry* e, uint16_t extraLength) {
    if (e->nameLength >= kPathBuffer) {
        char shown[kPathBuffer];
        SFX_TRY(readExact(e->rawName, 60));
        printableName(e->rawName, 60, shown, sizeof shown);
        return fail(kTextNameTooLong, shown, static_cast<unsigned>(kPathBuffer - 1));
    }
    SFX_TRY(readExact(e->rawName, e->nameLength));
    e->rawName[e->nameLength] = '\0';
    while (extraLength >= 4) {
        uint8_t eh[4];
        SFX_TRY(readExact(eh, 4));
        const uint16_t id = load16le(eh), len = load16le(eh + 2);
        extraLength -= 4;
        const uint16_t take = len < extraLength ? len : extraLength;
        if (id == kUnicodePathExtra && take >= 5 && take - 5u < kPathBuffer) {
            uint8_t head[5];
            SFX_TRY(readExact(head, 5));
            e->unicodeLength = take - 5u;
            SFX_TRY(readExact(e->unicodeRaw, e->unicodeLength));
            e->unicodeName = head[0] == 1 && ~crc32Update(kCrcInit, e->rawName, e->nameLength) ==
                                                 load32le(head + 1);
        } else if (id == kAesExtra && take == 7 && e->method == kMethodAes) {
            uint8_t field[7];
            SFX_TRY(readExact(field, sizeof field));
            // An unknown strength leaves the method 99: unsupported.
            if (aesSaltSize(field[4]) != 0 && field[2] == 'A' && field[3] == 'E') {
                e->aesVersion = load16le(field);
                e->aesStrength = field[4];
                e->method = load16le(field + 5);
            }
        } else if (id == kZip64Extra && take <= 32) {
            uint8_t field[32];
            SFX_TRY(readExact(field, take));
            uint64_t* const values[] = {&e->usize, &e->csize};
            if (!readZip64Values(field, take, values, 2)) return failString(kStrBadHeader);
            e->zip64 = true;
        } else {
            SFX_TRY(skipBytes(take));
        }
        extraLength -= take;
    }
    return skipBytes(extraLength);
}

// The name in the stub's code page, its checks, and the full path. The OEM
// conversion is for names from DOS and Windows hosts: names flagged UTF-8,
// and valid UTF-8 from a Unix host (Info-ZIP zip does not flag them), skip it.
Outcome Sfx::resolveEntryPath(LocalEntry* e) {
    const bool utf8 = e->unicodeName || (e->flags & kFlagUtf8) != 0 ||
                      (e->inDirectory && e->central.madeOnUnix &&
                       isValidUtf8(reinterpret_cast<const char*>(e->rawName), e->nameLength));
    char name[kPathBuffer];
    NameStatus st = convertEntryName(e->unicodeName ? e->unicodeRaw : e->rawName,
                                     e->unicodeName ? e->unicodeLength : e->nameLength, utf8, name,
                                     sizeof name);
    if (st != NameStatus::Ok) printableName(e->rawName, e->nameLength, name, sizeof name);
    if (st == NameStatus::Ok)
        st = makeRelativePath(name, std::strlen(name), e->rel, sizeof e->rel, kWindowsNameRules);
    if (st == NameStatus::Ok)
        st = makeFullPath(folder_, e->rel, host_.separator(), entryPath_, sizeof entryPath_);
    if (st == NameStatus::Unsafe) return fail(kTextUnsafeName, name);
    if (st == NameStatus::TooLong)
        return fail(kTextNameTooLong, name, static_cast<unsigned>(kPathBuffer - 1));
    if (st == NameStatus::BadEncoding) return fail(kTextBadNameEncoding, name);
    return Outcome::Ok;
}

// Sizes and CRC of an entry with a data descriptor: the central directory
// has them; without it the descriptor gives the CRC, and zero sizes mean
// that the deflate stream's end decides (allowed in a spanned set only).
void Sfx::takeDeferredSizes(LocalEntry* e) {
    if (!e->descriptor) return;
    if (e->inDirectory) {
        e->crc = e->central.crc;
        e->csize = e->central.compressedSize;
        e->usize = e->central.uncompressedSize;
        return;
    }
    e->crcFromDescriptor = true;
    if (e->csize == 0 && e->usize == 0 && !e->isFolder) e->sizeKnown = false;
}

// ============================================================================
// [SECTION] One entry
// ============================================================================

Outcome Sfx::processEntry() {
    LocalEntry e;
    SFX_TRY(readLocalHeader(&e));
    if (e.isFolder) return processFolderEntry(e);
    // Damage that the sizes alone show is refused before any data is read:
    // an encrypted entry shorter than what encryption adds (AES: salt,
    // verifier and code; else the encryption header), a stored entry whose
    // sizes differ, a stored entry or an AES entry of unknown size.
    const uint64_t added = e.aesStrength
                               ? aesSaltSize(e.aesStrength) + kAesVerifierSize + kAesMacSize
                           : encrypted_ ? kEncryptionHeaderSize
                                        : 0;
    const bool tooShort = e.sizeKnown && e.csize < added;
    const uint64_t dataSize = tooShort ? e.csize : e.csize - added;
    if (tooShort || (e.aesStrength && !e.sizeKnown) ||
        (e.method == kMethodStored && (!e.sizeKnown || dataSize != e.usize)))
        return fail(kTextImpossibleSizes, entryPath_, static_cast<unsigned long>(e.csize),
                    static_cast<unsigned long>(e.usize));

    // The folders of the path, and the overwrite question.
    bool write = true;
    if (!testSetting) {
        SFX_TRY(makeFolderChain(e.rel, false));
        if (!overwriteWithoutAsking && host_.unpackFolder().kind(e.rel) != PathKind::Missing) {
            updateMeter(true);
            std::snprintf(message_, sizeof message_, sfxString(kStrOverwrite), entryPath_);
            const Answer a = ask(message_, Buttons::YesNoCancel, Icon::Question);
            if (a == Answer::Cancel) return Outcome::Cancelled;
            write = a == Answer::Yes;
        }
    }
    remaining_ = e.sizeKnown ? e.csize : kUnknownSize;
    keepRaw_ = encrypted_ && !e.sizeKnown;
    // An AES entry of a strength the stub does not know.
    if (e.method == kMethodAes) return failString(kStrUnsupportedMethod);
    return write ? writeEntry(&e) : skipEntry(e);
}

// A folder entry: the folder chain is made, any data skipped.
Outcome Sfx::processFolderEntry(const LocalEntry& e) {
    if (!testSetting) SFX_TRY(makeFolderChain(e.rel, true));
    if (e.usize == 0 && e.csize != 0) SFX_TRY(skipBytes(e.csize));
    if (e.descriptor) {
        DataDescriptor d;
        SFX_TRY(readDataDescriptor(0, e.zip64, &d));
    }
    return Outcome::Ok;
}

// A declined entry: its data is skipped. A stream of unknown length is
// inflated without output to find its end.
Outcome Sfx::skipEntry(const LocalEntry& e) {
    if (e.sizeKnown) {
        SFX_TRY(skipBytes(e.csize));
    } else {
        if (encrypted_) SFX_TRY(checkPassword(e.descriptor, e.time, e.headerCrc));
        discardOutput_ = true;
        InflateResult r = inflateStream(*this, window_);
        discardOutput_ = false;
        if (ioOutcome_ != Outcome::Ok) return ioOutcome_;
        if (r.status != InflateStatus::Ok)
            return failString(kStrBadCrc, entryPath_, 0ul, static_cast<unsigned long>(e.crc));
        giveBack(r.unusedInput);
    }
    keepRaw_ = false;
    if (e.descriptor) {
        DataDescriptor d;
        SFX_TRY(readDataDescriptor(e.crc, e.zip64, &d));
    }
    return Outcome::Ok;
}

// A file written: the password check, the output file (or a link's target),
// the data, the file closed with its times, then the data descriptor, the
// checksum and the size.
Outcome Sfx::writeEntry(LocalEntry* e) {
    if (e->aesStrength)
        SFX_TRY(checkAesPassword(e->aesStrength));
    else if (encrypted_)
        SFX_TRY(checkPassword(e->descriptor, e->time, e->headerCrc));
    // A method the stub cannot unpack is refused before its file is made.
    if (remaining_ != 0 && e->method != kMethodDeflated && e->method != kMethodStored)
        return failString(kStrUnsupportedMethod);
    crc_ = kCrcInit;
    entryBytes_ = 0;
    entryLimit_ = e->sizeKnown ? e->usize : kUnknownSize;
    // A symbolic link made on Unix, where the backend makes links: its data
    // is the target, restored as a link once it is checked.
    const bool link = kRestoresLinks && e->inDirectory && e->central.madeOnUnix &&
                      (e->central.unixMode & kUnixTypeMask) == kUnixLink &&
                      host_.unpackFolder().makesLinks() && !testSetting;
    linkEntry_ = link;
    if (link) {
        if (!e->sizeKnown || e->usize >= sizeof linkTarget_)
            return fail(kTextUnsafeLink, entryPath_, "?");
    } else if (!testSetting) {
        if (!host_.unpackFolder().createFile(e->rel))
            return failString(kStrCannotCreateFile, entryPath_);
        outputOpen_ = true;
    }
    bool damaged = false;
    SFX_TRY(unpackEntryData(*e, &damaged));
    keepRaw_ = false;
    if (aesEntry_) {
        // The authentication code after the data: a changed byte anywhere in
        // the encrypted data shows here.
        aesEntry_ = false;
        uint8_t stored[kAesMacSize], computed[kAesMacSize];
        SFX_TRY(readExact(stored, sizeof stored));
        aes_.finish(computed);
        damaged = damaged || std::memcmp(stored, computed, kAesMacSize) != 0;
    }
    ++filesWritten_;
    if (outputOpen_) {
        host_.unpackFolder().closeFile(&e->time, e->inDirectory ? e->central.unixMode & 0777 : 0);
        outputOpen_ = false;
    }
    SFX_TRY(checkEntry(e, damaged));
    if (!link) return Outcome::Ok;
    linkEntry_ = false;
    linkTarget_[e->usize] = '\0';
    if (!linkStaysInside(e->rel, linkTarget_, e->usize))
        return fail(kTextUnsafeLink, entryPath_, linkTarget_);
    if (!host_.unpackFolder().createLink(e->rel, linkTarget_))
        return failString(kStrCannotCreateFile, entryPath_);
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] Entry data
// ============================================================================

// Inflates or copies the entry's data through fill input / flush output.
// A damaged stream ends early without a message (*damaged); the checksum
// comparison reports it, except for a stream of unknown size, whose end
// cannot be found then.
Outcome Sfx::unpackEntryData(const LocalEntry& e, bool* damaged) {
    if (remaining_ == 0) return Outcome::Ok;
    showDecompressing(entryPath_);
    if (e.method == kMethodStored) {
        const uint8_t* chunk;
        size_t n;
        while ((n = fillInput(&chunk)) > 0)
            if (!flushOutput(chunk, n)) break;
        return ioOutcome_;
    }
    InflateResult r = inflateStream(*this, window_);
    if (ioOutcome_ != Outcome::Ok) return ioOutcome_;
    if (r.status == InflateStatus::NoMemory) return fail(kTextNoMemory);
    if (r.status != InflateStatus::Ok) {
        *damaged = true;
        if (!e.sizeKnown)
            return failString(kStrBadCrc, entryPath_, static_cast<unsigned long>(~crc_),
                              static_cast<unsigned long>(e.crc));
    } else if (!e.sizeKnown) {
        giveBack(r.unusedInput);  // the look-ahead past the stream
    }
    if (e.sizeKnown && remaining_ != 0) SFX_TRY(skipBytes(remaining_));
    return Outcome::Ok;
}

// The data descriptor, then the checksum and the size, which damage
// changes too.
Outcome Sfx::checkEntry(LocalEntry* e, bool damaged) {
    const uint32_t computed = ~crc_;
    if (e->descriptor) {
        DataDescriptor d;
        SFX_TRY(readDataDescriptor(computed, e->zip64, &d));
        if (e->crcFromDescriptor) e->crc = d.crc;
        if (!e->sizeKnown) e->usize = d.uncompressedSize;
    }
    // AE-2 entries store no CRC-32: their authentication code checked them.
    if (damaged || (e->aesVersion != 2 && computed != e->crc))
        return failString(kStrBadCrc, entryPath_, static_cast<unsigned long>(computed),
                          static_cast<unsigned long>(e->crc));
    if (entryBytes_ != e->usize)
        return fail(kTextSizeMismatch, entryPath_, static_cast<unsigned long>(entryBytes_),
                    static_cast<unsigned long>(e->usize));
    return Outcome::Ok;
}

// Puts the decompressor's look-ahead back into the input buffer, as the
// raw bytes it was before decryption.
void Sfx::giveBack(size_t n) {
    inPos_ -= n;
    if (keepRaw_) std::memcpy(input_ + inPos_, shadow_ + inPos_, n);
}

// The password check: the keys start from the password; the
// 12-byte encryption header is decrypted; its last byte must equal the high
// byte of the modification time (entries with a data descriptor) or of the
// CRC-32.
Outcome Sfx::checkPassword(bool descriptor, DosTime time, uint32_t headerCrc) {
    if (!havePassword_) return failString(kStrNoPassword);
    keys_.start(password_, passwordLength_);
    uint8_t header[kEncryptionHeaderSize];
    SFX_TRY(readEntryBytes(header, sizeof header));
    const uint8_t check =
        descriptor ? static_cast<uint8_t>(time.time >> 8) : static_cast<uint8_t>(headerCrc >> 24);
    if (header[kEncryptionHeaderSize - 1] != check) return failString(kStrWrongPassword);
    return Outcome::Ok;
}

// The password check of an AES entry: the keys come from the password in
// UTF-8 and the entry's salt; the two verifier bytes that follow the salt
// must equal those the password gives. What is left of the entry's data
// after them is the encrypted data, then the authentication code.
Outcome Sfx::checkAesPassword(unsigned strength) {
    if (!havePassword_) return failString(kStrNoPassword);
    uint8_t salt[16], stored[kAesVerifierSize], derived[kAesVerifierSize];
    const size_t saltSize = aesSaltSize(strength);
    SFX_TRY(readExact(salt, saltSize));
    SFX_TRY(readExact(stored, sizeof stored));
    remaining_ -= saltSize + kAesVerifierSize + kAesMacSize;
    char utf8[3 * sizeof password_];
    const size_t n = host_.utf8Password(password_, passwordLength_, utf8, sizeof utf8);
    aes_.start(reinterpret_cast<const uint8_t*>(utf8), n, strength, salt, derived);
    if (std::memcmp(stored, derived, sizeof stored) != 0) return failString(kStrWrongPassword);
    aesEntry_ = true;
    return Outcome::Ok;
}

// The data descriptor after an entry's data: CRC-32, compressed size and
// uncompressed size (4 bytes each, 8 for an entry with a ZIP64 field), in
// most archives preceded by the signature 50 4B 07 08, in some without it. A
// descriptor that starts with the signature has it, unless the CRC itself
// equals the signature; then the word after it decides.
Outcome Sfx::readDataDescriptor(uint32_t knownCrc, bool zip64, DataDescriptor* out) {
    const size_t sizes = zip64 ? 16 : 8;
    uint8_t d[24];
    SFX_TRY(readExact(d, 4));
    const uint32_t first = load32le(d);
    bool withSignature = false;
    if (first == signature(kSigSpan78)) {
        if (knownCrc != first) {
            withSignature = true;
            SFX_TRY(readExact(d + 4, 4 + sizes));
        } else {
            SFX_TRY(readExact(d + 4, sizes));
            withSignature = load32le(d + 4) == knownCrc;
            if (withSignature) SFX_TRY(readExact(d + 4 + sizes, 4));
        }
    } else {
        SFX_TRY(readExact(d + 4, sizes));
    }
    const uint8_t* v = withSignature ? d + 4 : d;
    out->crc = load32le(v);
    out->compressedSize = zip64 ? load64le(v + 4) : load32le(v + 4);
    out->uncompressedSize = zip64 ? load64le(v + 12) : load32le(v + 8);
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] Folder chains
// ============================================================================

// Creating a folder chain: every folder of the relative path that
// does not exist yet, from the unpacking folder down (the last component
// too for a folder entry).
Outcome Sfx::makeFolderChain(const char* rel, bool includeLast) {
    if (folder_[0] != '\0' && folder_[1] == ':') {
        const char drive[3] = {folder_[0], ':', '\0'};
        if (!host_.driveUsable(drive)) return failString(kStrBadDrive, drive);
    }
    char prefix[kPathBuffer];
    const size_t n = std::strlen(rel);
    size_t last = 0;  // length of the deepest folder of this path
    for (size_t i = 0; i <= n; ++i) {
        const bool end = i == n;
        if (!(rel[i] == '/' || (end && includeLast))) continue;
        last = i;
        // Folders this run has already made or found need no second look
        // (archives list a folder's files together; nothing else writes in
        // the unpacking folder meanwhile).
        if (i <= knownFolderLength_ && std::memcmp(rel, knownFolder_, i) == 0 &&
            (knownFolder_[i] == '\0' || knownFolder_[i] == '/'))
            continue;
        std::memcpy(prefix, rel, i);
        prefix[i] = '\0';
        if (host_.unpackFolder().kind(prefix) != PathKind::Missing) continue;
        if (!host_.unpackFolder().createFolder(prefix)) {
            char full[kPathBuffer];
            makeFullPath(folder_, prefix, host_.separator(), full, sizeof full);
            return failString(kStrCannotCreateFolder, full);
        }
    }
    std::memcpy(knownFolder_, rel, last);
    knownFolder_[last] = '\0';
    knownFolderLength_ = last;
    return Outcome::Ok;
}

}  // namespace gm::sfx
