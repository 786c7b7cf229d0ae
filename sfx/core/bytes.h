// Little-endian loads and stores, and the one bounds-checked reader that
// every ZIP structure of the self-extractor is parsed with.
//
// ZIP headers are little-endian with no alignment; the reader never reads
// past the span it was given and reports a short span through ok().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gm::sfx {

inline constexpr uint16_t load16le(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline constexpr uint32_t load32le(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline constexpr uint64_t load64le(const uint8_t* p) {
    return load32le(p) | (static_cast<uint64_t>(load32le(p + 4)) << 32);
}
inline constexpr void store16le(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline constexpr void store32le(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// An unaligned native 64-bit load; the inflate bit reader and the CRC use it
// on little-endian hosts (x86-64, the only targets of this project).
inline uint64_t loadWordLe(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the fast paths assume little-endian");

// Sequential reader over a byte span. Reads past the end yield zeros and
// clear ok(); callers check ok() once after a group of reads.
class ByteReader {
  public:
    constexpr ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    constexpr uint8_t u8() {
        if (!need(1)) return 0;
        return data_[pos_++];
    }
    constexpr uint16_t u16() {
        if (!need(2)) return 0;
        uint16_t v = load16le(data_ + pos_);
        pos_ += 2;
        return v;
    }
    constexpr uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = load32le(data_ + pos_);
        pos_ += 4;
        return v;
    }
    constexpr void skip(size_t n) {
        if (need(n)) pos_ += n;
    }
    constexpr bool ok() const { return ok_; }
    constexpr size_t pos() const { return pos_; }
    constexpr size_t remaining() const { return size_ - pos_; }
    constexpr const uint8_t* here() const { return data_ + pos_; }

  private:
    constexpr bool need(size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            pos_ = size_;
            return false;
        }
        return true;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace gm::sfx
