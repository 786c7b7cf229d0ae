// Raw deflate (RFC 1951) decompression for the self-extractor.
//
// The decompressor pulls compressed bytes through fillInput() and pushes
// decompressed bytes through flushOutput(): the two routines the archive walk provides.
// It keeps the 32768 bytes of history that RFC 1951 allows in a window the
// caller owns (kInflateWindowAlloc bytes, allocated once per process) and
// hands the window to flushOutput() whenever it fills, and once more at the
// end of the stream.
//
// Two implementations share this interface:
//  * inflateStream()          the fast one the stub uses (inflate.cpp);
//  * inflateStreamReference() a plain bit-at-a-time decoder in the manner of
//                              zlib's puff.c (inflate_reference.cpp), kept as
//                              the oracle the tests compare the fast one with.
// Both accept exactly the streams zlib accepts and report the same status.
//
// Damaged input never produces a message here: the caller decides (the archive walk
// reports a damaged entry through the CRC comparison).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

// History reachable by a match (RFC 1951, section 2.2).
inline constexpr size_t kInflateWindowSize = 32768;
// The window buffer holds the history plus some slack, so that the fast copy
// loop may write a few bytes past the end of a match without destroying
// history a later match can still reach: a byte only becomes unreachable
// once it lies more than kInflateWindowSize behind the write position, and
// the slack keeps every overrun (at most kMaxMatch + 16 bytes ahead of the
// write position) in the part of the ring that is already out of reach.
inline constexpr size_t kInflateWindowSlack = 512;
inline constexpr size_t kInflateWindowAlloc = kInflateWindowSize + kInflateWindowSlack;

// How many bytes of the input the decoder may have read beyond the end of
// the stream (its bit buffer holds at most this many whole bytes). A caller
// that needs those bytes back keeps them in front of every new chunk.
inline constexpr size_t kInflateMaxLookahead = 8;

// The archive walk's fill input and flush output.
class InflateIo {
  public:
    // Makes the next compressed bytes available at *data and returns their
    // count; 0 means the input has ended. The bytes stay valid until the
    // next call.
    virtual size_t fillInput(const uint8_t** data) = 0;
    // Takes `size` (> 0) decompressed bytes. Returns false to stop the
    // decompression at once (the caller has reported why).
    virtual bool flushOutput(const uint8_t* data, size_t size) = 0;

  protected:
    ~InflateIo() = default;
};

enum class InflateStatus {
    Ok,         // the final block ended
    BadData,    // invalid block type, code, code set, distance or stored length
    Truncated,  // the input ended inside the stream
    Stopped,    // flushOutput() returned false
    NoMemory,   // a block's code tables could not be allocated
};

struct InflateResult {
    InflateStatus status = InflateStatus::Ok;
    // Input bytes handed over by fillInput() but not part of the stream,
    // counted back from the end of the last chunk (may reach into the
    // chunk before it by at most kInflateMaxLookahead bytes). Valid on Ok.
    size_t unusedInput = 0;
    uint64_t totalOut = 0;  // bytes passed to flushOutput()
};

// Precondition: `window` points to kInflateWindowAlloc writable bytes.
InflateResult inflateStream(InflateIo& io, uint8_t* window);
InflateResult inflateStreamReference(InflateIo& io, uint8_t* window);

// Convenience for the stub's own blocks: inflates `in` into
// out[0, capacity) with no checksum or counting. Output beyond capacity is
// dropped and reported as Stopped. *outSize receives the bytes stored.
InflateStatus inflateToMemory(const uint8_t* in, size_t inSize, uint8_t* out, size_t capacity,
                              size_t* outSize, uint8_t* window);

}  // namespace gm::sfx
