// The ZIP records the archive walk and the central directory read, their
// field offsets and the limits the stub puts on them.
//
// (PKWARE APPNOTE.TXT, sections 4.3.7 - 4.3.16.) All values little-endian.
//
// Local file header, after its signature 50 4B 03 04 (26 bytes):
//   0 version needed   2 flags   4 method   6 time   8 date   10 CRC-32
//   14 compressed size   18 uncompressed size   22 name length
//   24 extra length; then the name and the extra field.
// Flags: bit 0 encrypted, bit 3 sizes and CRC follow the data in a data
// descriptor (CRC, compressed size, uncompressed size, optionally preceded
// by the signature 50 4B 07 08), bit 11 UTF-8 name.
// Central directory header, after 50 4B 01 02 (42 bytes):
//   12 CRC-32   16 compressed size   20 uncompressed size   24 name length
//   26 extra length   28 comment length   38 local header offset.
// End of central directory, after 50 4B 05 06 (18 bytes):
//   0 disk   2 disk of the directory   4 entries on this disk   6 entries
//   8 directory size   12 directory offset   16 comment length.
//
// ZIP64 (sections 4.3.14, 4.3.15, 4.5.3): a value that does not fit its
// field is all ones there. A size or offset is then in the ZIP64 extra field
// (id 0x0001) of its header, as 8 bytes each, in the order uncompressed size,
// compressed size, local header offset, holding only the values whose fields
// are all ones; an entry with that field has 8-byte sizes in its data
// descriptor too. The end record's counts, size and offset are in the ZIP64
// end record, which the locator right in front of the end record points at.
// ZIP64 end record, after 50 4B 06 06 (52 bytes):
//   0 size of the rest (8)   12 disk   16 disk of the directory
//   20 entries on this disk (8)   28 entries (8)   36 directory size (8)
//   44 directory offset (8).
// ZIP64 locator, after 50 4B 06 07 (16 bytes):
//   0 disk of the ZIP64 end record   4 its offset (8)   12 number of disks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

inline constexpr size_t kLocalHeaderSize = 26;
inline constexpr size_t kCentralHeaderSize = 42;
inline constexpr size_t kEndRecordSize = 18;
inline constexpr size_t kZip64EndSize = 52;
inline constexpr size_t kZip64LocatorSize = 16;
inline constexpr uint16_t kZip64Extra = 0x0001;
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDescriptor = 0x0008;
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint32_t kZip64Marker = 0xFFFFFFFFu;
inline constexpr uint16_t kZip64Count = 0xFFFF;
inline constexpr uint32_t kUnixTypeMask = 0170000;
inline constexpr uint32_t kUnixLink = 0120000;
// Remaining size of an entry whose end only its deflate stream tells.
inline constexpr uint64_t kUnknownSize = ~uint64_t{0};
// The central directory is read whole; a larger one is taken for damage.
inline constexpr uint64_t kMaxCentralDirectory = 64u << 20;
// The end record lies within its maximal comment of the end of the file.
inline constexpr size_t kMaxEndSearch = kEndRecordSize + 4 + 65535;

// The values of a ZIP64 extra field: each of `values` whose 32-bit field
// was all ones (`*values[i] == kZip64Marker`) is replaced, in order, by the
// next 8 bytes of the field. False when the field is too short for them.
bool readZip64Values(const uint8_t* field, size_t length, uint64_t* const* values, size_t count);

// The ZIP64 extra field among a header's extra fields, or nullptr.
const uint8_t* findExtraField(const uint8_t* extra, size_t length, uint16_t id,
                              size_t* fieldLength);

}  // namespace gm::sfx
