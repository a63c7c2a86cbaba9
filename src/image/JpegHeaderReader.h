#pragma once
// The marker and header reader of the JPEG cut: a file read front to back in chunks, its marker segments, its
// Huffman tables, and the frame and scan headers of a single sequential baseline scan.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture/ByteSource.h"

namespace velmira::jpeg {

// Reads start small, for the headers of files the cut turns down, and grow for the entropy-coded data.
constexpr std::size_t kFirstChunkSize = 4 * 1024;
constexpr std::size_t kChunkSize = 64 * 1024;
// The most bytes of colour and quantisation segments the cut keeps (Headers::kept).
constexpr std::size_t kMaxKeptBytes = 1024 * 1024;
// Baseline 8-bit data: DC differences have at most 11 magnitude bits, AC coefficients 10.
constexpr int kMaxDcBits = 11;
constexpr int kMaxAcBits = 10;
constexpr int kCoefficients = 64;

enum Marker : std::uint8_t {
    kSof0 = 0xC0,
    kSof1 = 0xC1,
    kDht = 0xC4,
    kRst0 = 0xD0,
    kSoi = 0xD8,
    kEoi = 0xD9,
    kSos = 0xDA,
    kDqt = 0xDB,
    kDri = 0xDD,
    kApp0 = 0xE0,
    kApp14 = 0xEE,
    kCom = 0xFE,
};

// Thrown wherever the file is something the cut does not handle; the cut turns it into "no cut".
struct NotCuttable {};

[[noreturn]] inline void GiveUp() { throw NotCuttable{}; }

// Reads the file front to back in chunks.
class ChunkReader {
public:
    explicit ChunkReader(ByteSource& source) : source_(source), buffer_(kFirstChunkSize) {}

    std::uint8_t Next() {
        if (pos_ == end_) Refill();
        return buffer_[pos_++];
    }

    std::string Take(std::size_t count);
    void Skip(std::size_t count);
    // Moves to the next 0xFF byte without consuming it.
    void SkipToFF();

private:
    void Refill();

    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t offset_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

// After the 0xFF that starts a marker: fill bytes, then the marker's code.
std::uint8_t MarkerCodeAfterFF(ChunkReader& in);

struct Segment {
    std::uint8_t marker = 0;
    std::string bytes;

    std::size_t PayloadSize() const { return bytes.size() - 4; }
    std::uint8_t Payload(std::size_t i) const {
        if (i >= PayloadSize()) GiveUp();
        return static_cast<std::uint8_t>(bytes[4 + i]);
    }
    unsigned Payload16(std::size_t i) const { return unsigned{Payload(i)} << 8 | Payload(i + 1); }
};

// A Huffman table as the file defines it, with what decoding needs.
class HuffmanDecoder {
public:
    static constexpr int kLookBits = 9;

    bool defined = false;

    // Builds the canonical code from the 16 counts and the symbols that follow them at `at` in the
    // segment; returns the position after the table.
    std::size_t Define(const Segment& dht, std::size_t at, bool dcTable);

    // The entry for the next kLookBits bits: code length << 8 | symbol, or 0 for a longer code.
    std::uint16_t Lookup(unsigned bits) const { return lookup_[bits]; }
    // Whether `code` of `length` bits is a code of the table, and its symbol.
    bool Long(int code, int length, std::uint8_t& symbol) const {
        if (code > maxCode_[length]) return false;
        symbol = symbols_[code + offset_[length]];
        return true;
    }

private:
    std::array<std::uint8_t, 256> symbols_{};
    std::array<int, 17> maxCode_{};
    std::array<int, 17> offset_{};
    std::array<std::uint16_t, 1 << kLookBits> lookup_{};
};

struct ScanComponent {
    int h = 1;
    int v = 1;
    int dcTable = 0;
    int acTable = 0;
};

struct Headers {
    std::string kept;  // the colour and quantisation segments, in the file's order
    Segment frame;
    Segment scan;
    unsigned width = 0;
    unsigned height = 0;
    unsigned restartInterval = 0;
    std::vector<ScanComponent> components;  // in the scan's order, which is the order of blocks in an MCU
    std::array<HuffmanDecoder, 4> dc{};
    std::array<HuffmanDecoder, 4> ac{};
};

// Reads every segment up to the first scan's header; the entropy-coded data follows.
Headers ReadHeaders(ChunkReader& in);

}  // namespace velmira::jpeg
