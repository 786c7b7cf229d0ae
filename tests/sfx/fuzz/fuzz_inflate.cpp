// Fuzz target: the fast decompressor against the reference on any input.
// The first byte chooses the input chunking; the decompressors must agree
// on the status and, for good streams, on every output byte and on where
// the stream ended. Any disagreement or memory error stops the fuzzer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sfx/core/inflate.h"

namespace {

using namespace gm::sfx;

class Io final : public InflateIo {
  public:
    Io(const uint8_t* data, size_t size, size_t chunk) : data_(data), size_(size), chunk_(chunk) {}
    size_t fillInput(const uint8_t** data) override {
        size_t n = size_ - pos_ < chunk_ ? size_ - pos_ : chunk_;
        // A private copy, so that a read past the chunk is a sanitizer error.
        copy_.assign(data_ + pos_, data_ + pos_ + n);
        *data = copy_.data();
        pos_ += n;
        return n;
    }
    bool flushOutput(const uint8_t* data, size_t size) override {
        if (out.size() + size > kLimit) return false;  // bombs stop here
        out.insert(out.end(), data, data + size);
        return true;
    }
    size_t consumed(const InflateResult& r) const { return pos_ - r.unusedInput; }
    std::vector<uint8_t> out;
    static constexpr size_t kLimit = 8u << 20;

  private:
    const uint8_t* data_;
    size_t size_, chunk_, pos_ = 0;
    std::vector<uint8_t> copy_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const size_t kChunks[] = {1, 2, 7, 64, 2048, 1u << 20};
    const size_t chunk = kChunks[data[0] % 6];
    ++data;
    --size;
    static uint8_t windowA[kInflateWindowAlloc], windowB[kInflateWindowAlloc];
    Io fast(data, size, chunk), ref(data, size, 1);
    const InflateResult a = inflateStream(fast, windowA);
    const InflateResult b = inflateStreamReference(ref, windowB);
    if (a.status != b.status) std::abort();
    if (a.status == InflateStatus::Ok &&
        (fast.out != ref.out || fast.consumed(a) != ref.consumed(b)))
        std::abort();
    return 0;
}
