// The configuration record and strings; see sfx_config.h.
#include "sfx/core/sfx_config.h"

#include <cstring>

#include "sfx/core/bytes.h"

namespace gm::sfx {

SfxConfig decodeConfigRecord(const uint8_t* record) {
    ByteReader r(record + kMarkerSize, kConfigRecordSize - kMarkerSize);
    SfxConfig c;
    c.reserved = r.u32();
    c.zipOffset = r.u32();
    c.stringsOffset = r.u32();
    c.eocdOffset = r.u32();
    c.totalSize = r.u32();
    c.flags1 = r.u8();
    c.flags2 = r.u8();
    c.flags3 = r.u8();
    c.unused = r.u8();
    std::memcpy(c.waitName, r.here(), cfg::kWaitNameSize);
    c.waitName[cfg::kWaitNameSize] = '\0';
    r.skip(cfg::kWaitNameSize);
    c.complete = r.u16();
    return c;
}

void encodeConfigRecord(const SfxConfig& c, uint8_t* record) {
    store32le(record + cfg::kReserved, c.reserved);
    store32le(record + cfg::kZipOffset, c.zipOffset);
    store32le(record + cfg::kStringsOffset, c.stringsOffset);
    store32le(record + cfg::kEocdOffset, c.eocdOffset);
    store32le(record + cfg::kTotalSize, c.totalSize);
    record[cfg::kFlags1] = c.flags1;
    record[cfg::kFlags2] = c.flags2;
    record[cfg::kFlags3] = c.flags3;
    record[cfg::kUnused] = c.unused;
    std::memset(record + cfg::kWaitName, 0, cfg::kWaitNameSize);
    std::memcpy(record + cfg::kWaitName, c.waitName, strnlen(c.waitName, cfg::kWaitNameSize));
    store16le(record + cfg::kComplete, c.complete);
}

char* ConfigStrings::slot(int index) {
    switch (index) {
        case kCsAbout:
            return about;
        case kCsCommand:
            return command;
        case kCsReserved3:
            return reserved3;
        case kCsReserved4:
            return reserved4;
        case kCsMessage:
            return message;
        case kCsTitle:
            return title;
        case kCsPrompt:
            return prompt;
        default:
            return info;
    }
}

bool splitConfigStrings(const uint8_t* data, size_t size, bool hasTitle, ConfigStrings* out) {
    size_t pos = 0;
    for (int i = 0; i < kNumConfigStrings; ++i) {
        if (pos >= size) return false;
        const auto* text = reinterpret_cast<const char*>(data + pos);
        const size_t len = strnlen(text, size - pos);
        if (pos + len >= size) return false;  // no terminating NUL
        char* dst = out->slot(i);
        if (i != kCsTitle || hasTitle) {
            const size_t n = len < kConfigStringSize[i] - 1 ? len : kConfigStringSize[i] - 1;
            std::memcpy(dst, text, n);
            dst[n] = '\0';
        } else {
            dst[0] = '\0';
        }
        pos += len + 1;
    }
    return true;
}

}  // namespace gm::sfx
