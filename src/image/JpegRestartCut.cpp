#include "image/JpegRestartCut.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace velmira {
namespace {

// Reads start small, for the headers of files the cut turns down, and grow for the entropy-coded data.
constexpr std::size_t kFirstChunkSize = 4 * 1024;
constexpr std::size_t kChunkSize = 64 * 1024;
// The limits libjpeg and the decoder put on a frame; a file over them must reach libjpeg to be refused.
constexpr unsigned kMaxDimension = 65500;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
constexpr int kMaxBlocksInMcu = 10;
// Baseline 8-bit data: DC differences have at most 11 magnitude bits, AC coefficients 10.
constexpr int kMaxDcBits = 11;
constexpr int kMaxAcBits = 10;
constexpr int kCoefficients = 64;
// How many times fewer MCUs than decoding the rows in order the cut must decode to be worth making.
constexpr std::uint64_t kMinSaving = 4;

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

// Thrown wherever the file is something the cut does not handle; CutJpegAtRestarts turns it into "no cut".
struct NotCuttable {};

[[noreturn]] void GiveUp() { throw NotCuttable{}; }

// Reads the file front to back in chunks.
class ChunkReader {
public:
    explicit ChunkReader(ByteSource& source) : source_(source), buffer_(kFirstChunkSize) {}

    std::uint8_t Next() {
        if (pos_ == end_) Refill();
        return buffer_[pos_++];
    }

    std::string Take(std::size_t count) {
        std::string bytes;
        bytes.reserve(count);
        while (bytes.size() < count) {
            if (pos_ == end_) Refill();
            const std::size_t n = std::min(count - bytes.size(), end_ - pos_);
            bytes.append(reinterpret_cast<const char*>(&buffer_[pos_]), n);
            pos_ += n;
        }
        return bytes;
    }

    void Skip(std::size_t count) {
        const std::size_t here = std::min(count, end_ - pos_);
        pos_ += here;
        if (here < count) {  // past the buffer: the next read starts further on
            offset_ += end_ + (count - here);
            pos_ = end_ = 0;
        }
    }

    // Moves to the next 0xFF byte without consuming it.
    void SkipToFF() {
        for (;;) {
            if (pos_ == end_) Refill();
            const void* found = std::memchr(&buffer_[pos_], 0xFF, end_ - pos_);
            if (found) {
                pos_ = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - buffer_.data());
                return;
            }
            pos_ = end_;
        }
    }

private:
    void Refill() {
        offset_ += end_;
        if (end_ != 0 && buffer_.size() < kChunkSize) buffer_.resize(std::min(kChunkSize, 2 * buffer_.size()));
        end_ = source_.ReadAt(offset_, buffer_.data(), buffer_.size());
        pos_ = 0;
        if (end_ == 0) GiveUp();  // the file ends early: libjpeg's repairs decide what shows
    }

    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t offset_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

// After the 0xFF that starts a marker: fill bytes, then the marker's code.
std::uint8_t MarkerCodeAfterFF(ChunkReader& in) {
    std::uint8_t code = in.Next();
    while (code == 0xFF) code = in.Next();
    return code;
}

std::uint8_t ReadMarker(ChunkReader& in) {
    if (in.Next() != 0xFF) GiveUp();  // libjpeg skips such garbage with a warning; leave that to it
    return MarkerCodeAfterFF(in);
}

// A marker segment: its marker, the two length bytes and the payload, as in the file.
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

Segment ReadSegment(ChunkReader& in, std::uint8_t marker) {
    const std::uint8_t high = in.Next(), low = in.Next();
    const std::size_t length = std::size_t{high} << 8 | low;
    if (length < 2) GiveUp();
    Segment segment{marker, std::string{'\xFF', static_cast<char>(marker), static_cast<char>(high), static_cast<char>(low)}};
    segment.bytes += in.Take(length - 2);
    return segment;
}

void SkipSegment(ChunkReader& in) {
    const std::uint8_t high = in.Next(), low = in.Next();
    const std::size_t length = std::size_t{high} << 8 | low;
    if (length < 2) GiveUp();
    in.Skip(length - 2);
}

// A Huffman table as the file defines it, with what decoding needs.
class HuffmanDecoder {
public:
    static constexpr int kLookBits = 9;

    bool defined = false;

    // Builds the canonical code from the 16 counts and the symbols that follow them at `at` in the
    // segment; returns the position after the table.
    std::size_t Define(const Segment& dht, std::size_t at, bool dcTable) {
        std::array<int, 17> counts{};
        int total = 0;
        for (int length = 1; length <= 16; ++length) {
            counts[length] = dht.Payload(at++);
            total += counts[length];
        }
        if (total > 256) GiveUp();
        for (int i = 0; i < total; ++i) {
            symbols_[i] = dht.Payload(at++);
            if (dcTable && symbols_[i] > 15) GiveUp();
        }
        lookup_.fill(0);
        int code = 0, index = 0;
        for (int length = 1; length <= 16; ++length) {
            offset_[length] = index - code;
            for (int i = 0; i < counts[length]; ++i, ++code, ++index) {
                // No code may be all 1 bits; libjpeg refuses a table whose counts leave it none else.
                if (code >= (1 << length) - 1) GiveUp();
                if (length <= kLookBits) {
                    const int spare = kLookBits - length;
                    for (int fill = 0; fill < (1 << spare); ++fill)
                        lookup_[(code << spare) | fill] = static_cast<std::uint16_t>(length << 8 | symbols_[index]);
                }
            }
            maxCode_[length] = counts[length] ? code - 1 : -1;
            code <<= 1;
        }
        defined = true;
        return at;
    }

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

void ReadHuffmanTables(const Segment& dht, Headers& headers) {
    std::size_t at = 0;
    while (at < dht.PayloadSize()) {
        const std::uint8_t classAndId = dht.Payload(at++);
        const int tableClass = classAndId >> 4, id = classAndId & 0x0F;
        if (tableClass > 1 || id > 3) GiveUp();
        at = (tableClass == 0 ? headers.dc : headers.ac)[id].Define(dht, at, tableClass == 0);
    }
}

struct FrameComponent {
    int id;
    int h;
    int v;
};

std::vector<FrameComponent> ReadFrame(const Segment& sof, Headers& headers) {
    if (sof.Payload(0) != 8) GiveUp();
    headers.height = sof.Payload16(1);
    headers.width = sof.Payload16(3);
    const int count = sof.Payload(5);
    if (count < 1 || count > 4 || sof.PayloadSize() != 6u + 3u * count) GiveUp();
    // A height of 0 is given later by a DNL marker; sizes over libjpeg's limits must reach libjpeg.
    if (headers.width == 0 || headers.height == 0 || headers.width > kMaxDimension || headers.height > kMaxDimension ||
        std::uint64_t{headers.width} * headers.height > kMaxPixels)
        GiveUp();
    std::vector<FrameComponent> components;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t sampling = sof.Payload(7 + 3 * i);
        FrameComponent c{sof.Payload(6 + 3 * i), sampling >> 4, sampling & 0x0F};
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) GiveUp();
        components.push_back(c);
    }
    return components;
}

// Only a single sequential scan holding every component in one interleave.
void ReadScan(const Segment& sos, const std::vector<FrameComponent>& frame, Headers& headers) {
    const int count = sos.Payload(0);
    if (count != static_cast<int>(frame.size()) || sos.PayloadSize() != 4u + 2u * count) GiveUp();
    std::vector<int> seen;
    for (int i = 0; i < count; ++i) {
        const int id = sos.Payload(1 + 2 * i);
        const std::uint8_t tables = sos.Payload(2 + 2 * i);
        const auto match = std::find_if(frame.begin(), frame.end(), [id](const FrameComponent& c) { return c.id == id; });
        if (match == frame.end() || std::count(seen.begin(), seen.end(), id) != 0) GiveUp();
        seen.push_back(id);
        ScanComponent c{match->h, match->v, tables >> 4, tables & 0x0F};
        if (c.dcTable > 3 || c.acTable > 3 || !headers.dc[c.dcTable].defined || !headers.ac[c.acTable].defined) GiveUp();
        headers.components.push_back(c);
    }
    const std::size_t tail = 1 + 2 * count;
    if (sos.Payload(tail) != 0 || sos.Payload(tail + 1) != 63 || sos.Payload(tail + 2) != 0) GiveUp();
}

// Reads every segment up to the first scan's header; the entropy-coded data follows.
Headers ReadHeaders(ChunkReader& in) {
    if (in.Next() != 0xFF || in.Next() != kSoi) GiveUp();
    Headers headers;
    std::vector<FrameComponent> frame;
    for (;;) {
        const std::uint8_t marker = ReadMarker(in);
        if (marker == kSof0 || marker == kSof1) {
            if (!frame.empty()) GiveUp();
            headers.frame = ReadSegment(in, marker);
            frame = ReadFrame(headers.frame, headers);
        } else if (marker == kDht) {
            ReadHuffmanTables(ReadSegment(in, marker), headers);
        } else if (marker == kDqt || marker == kApp0 || marker == kApp14) {
            headers.kept += ReadSegment(in, marker).bytes;  // libjpeg reads colour hints from APP0 and APP14
        } else if (marker == kDri) {
            const Segment dri = ReadSegment(in, marker);
            if (dri.PayloadSize() != 2) GiveUp();
            headers.restartInterval = dri.Payload16(0);
        } else if ((marker > kApp0 && marker <= 0xEF) || marker == kCom) {
            SkipSegment(in);  // nothing in them changes the pixels
        } else if (marker == kSos) {
            if (frame.empty()) GiveUp();
            headers.scan = ReadSegment(in, marker);
            ReadScan(headers.scan, frame, headers);
            return headers;
        } else {
            GiveUp();  // other frame types, arithmetic coding, DNL, stray markers
        }
    }
}

// The MCU grid of the scan and the part of it the cut keeps.
struct Geometry {
    int mcuWidth = 8;
    int mcuHeight = 8;
    std::uint64_t mcusPerRow = 0;
    std::uint64_t mcuRows = 0;
    std::uint64_t keptColumns = 0;
    std::uint64_t keptRows = 0;
    std::vector<int> blockComponent;  // the scan component of each block of an MCU

    std::uint64_t CutWidth(unsigned width) const { return keptColumns == mcusPerRow ? width : keptColumns * mcuWidth; }
    std::uint64_t CutHeight(unsigned height) const { return keptRows == mcuRows ? height : keptRows * mcuHeight; }
};

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

Geometry Measure(const Headers& headers, int maxWidth, int maxHeight) {
    Geometry g;
    if (headers.components.size() == 1) {
        // A lone component is never interleaved: an MCU is one block whatever its sampling factors.
        g.blockComponent = {0};
    } else {
        int hMax = 1, vMax = 1;
        for (std::size_t c = 0; c < headers.components.size(); ++c) {
            hMax = std::max(hMax, headers.components[c].h);
            vMax = std::max(vMax, headers.components[c].v);
            for (int b = 0; b < headers.components[c].h * headers.components[c].v; ++b)
                g.blockComponent.push_back(static_cast<int>(c));
        }
        if (g.blockComponent.size() > static_cast<std::size_t>(kMaxBlocksInMcu)) GiveUp();
        g.mcuWidth = 8 * hMax;
        g.mcuHeight = 8 * vMax;
    }
    g.mcusPerRow = CeilDiv(headers.width, g.mcuWidth);
    g.mcuRows = CeilDiv(headers.height, g.mcuHeight);
    const unsigned visibleWidth = std::min<unsigned>(headers.width, static_cast<unsigned>(maxWidth));
    const unsigned visibleHeight = std::min<unsigned>(headers.height, static_cast<unsigned>(maxHeight));
    g.keptColumns = std::min(g.mcusPerRow, CeilDiv(visibleWidth, g.mcuWidth) + 1);
    g.keptRows = std::min(g.mcuRows, CeilDiv(visibleHeight, g.mcuHeight) + 1);
    return g;
}

// How many MCUs the cut decodes: each kept row from the start of the restart interval that holds its
// first kept MCU, or from where the previous row stopped when that is the same interval.
std::uint64_t McusToDecode(const Geometry& g, std::uint64_t interval) {
    std::uint64_t total = 0, decodedTo = 0;
    for (std::uint64_t row = 0; row < g.keptRows; ++row) {
        const std::uint64_t first = row * g.mcusPerRow;
        const std::uint64_t from = std::max(first / interval * interval, decodedTo);
        total += first + g.keptColumns - from;
        decodedTo = first + g.keptColumns;
    }
    return total;
}

// The entropy-coded data of one restart interval after another, read bit by bit.
class EntropyReader {
public:
    explicit EntropyReader(ChunkReader& in) : in_(in) {}

    // Moves past the marker that ends the current interval, which must be the restart marker of this
    // number, and starts reading the next interval.
    void NextInterval(unsigned restartNumber) {
        std::uint8_t marker = pendingMarker_;
        while (marker == 0) {
            in_.SkipToFF();
            in_.Next();
            marker = MarkerCodeAfterFF(in_);  // 0 after 0xFF is a stuffed data byte: keep looking
        }
        if (marker != kRst0 + restartNumber % 8) GiveUp();
        bits_ = 0;
        count_ = 0;
        pendingMarker_ = 0;
    }

    int DecodeSymbol(const HuffmanDecoder& table) {
        Fill(16);
        const std::uint16_t entry = table.Lookup(Peek(HuffmanDecoder::kLookBits));
        if (entry != 0) {
            Consume(entry >> 8);
            return entry & 0xFF;
        }
        for (int length = HuffmanDecoder::kLookBits + 1; length <= 16; ++length) {
            std::uint8_t symbol = 0;
            if (table.Long(static_cast<int>(Peek(length)), length, symbol)) {
                Consume(length);
                return symbol;
            }
        }
        GiveUp();  // no such code
    }

    // The next `size` bits as they stand.
    unsigned ReceiveBits(int size) {
        if (size == 0) return 0;
        Fill(size);
        const unsigned raw = Peek(size);
        Consume(size);
        return raw;
    }

    // `size` more bits as the signed value they stand for (the JPEG "extend" rule).
    int ReceiveValue(int size) {
        if (size == 0) return 0;
        const int raw = static_cast<int>(ReceiveBits(size));
        return raw < (1 << (size - 1)) ? raw - (1 << size) + 1 : raw;
    }

private:
    void Fill(int wanted) {
        while (count_ < wanted && pendingMarker_ == 0) {
            std::uint8_t byte = in_.Next();
            if (byte == 0xFF) {
                const std::uint8_t next = MarkerCodeAfterFF(in_);
                if (next != 0) {
                    pendingMarker_ = next;  // the interval's data ends here
                    return;
                }
            }
            bits_ = bits_ << 8 | byte;
            count_ += 8;
        }
    }

    // The next `n` bits; past the end of the interval's data they read as 0, as libjpeg pads them.
    unsigned Peek(int n) const {
        const std::uint64_t mask = (std::uint64_t{1} << n) - 1;
        if (count_ >= n) return static_cast<unsigned>((bits_ >> (count_ - n)) & mask);
        return static_cast<unsigned>((bits_ << (n - count_)) & mask);
    }

    // Bits that only padding could supply mean damaged data: libjpeg's repair decides, not the cut.
    void Consume(int n) {
        if (n > count_) GiveUp();
        count_ -= n;
    }

    ChunkReader& in_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::uint8_t pendingMarker_ = 0;
};

// A block as its AC codes stand in the file, which the cut writes again symbol for symbol with its own
// codes; only the DC value is written anew, as the difference from a new predecessor.
struct Block {
    int dc;
    int acCount;
    std::array<std::uint32_t, kCoefficients> ac;  // each symbol << 16 | the bits of its value
};

// Decodes the scan's MCUs in order through its restart intervals, keeping the ones the cut needs.
class McuDecoder {
public:
    McuDecoder(const Headers& headers, const Geometry& geometry, ChunkReader& in)
        : headers_(headers), geometry_(geometry), reader_(in), predictions_(headers.components.size(), 0) {}

    // Decodes MCUs [first, first + count) into `out`, one Block per block. `first` must not lie before
    // the MCUs already decoded.
    void Decode(std::uint64_t first, std::uint64_t count, Block* out) {
        SkipTo(first);
        for (std::uint64_t i = 0; i < count; ++i) out = DecodeMcu(out);
    }

private:
    // Intervals before the one holding `mcu` are passed over by their markers; within that interval
    // the MCUs before it must still be decoded, since each one's data starts where the last one's ended.
    void SkipTo(std::uint64_t mcu) {
        const std::uint64_t target = mcu / headers_.restartInterval;
        if (target > interval_) {
            while (interval_ < target) reader_.NextInterval(static_cast<unsigned>(interval_++));
            next_ = target * headers_.restartInterval;
            std::fill(predictions_.begin(), predictions_.end(), 0);
        }
        Block discarded;
        while (next_ < mcu) {
            for (std::size_t b = 0; b < geometry_.blockComponent.size(); ++b) DecodeBlock(geometry_.blockComponent[b], discarded);
            ++next_;
        }
    }

    Block* DecodeMcu(Block* out) {
        const std::uint64_t interval = next_ / headers_.restartInterval;
        if (interval != interval_) {  // the MCU starts the next interval
            reader_.NextInterval(static_cast<unsigned>(interval_++));
            std::fill(predictions_.begin(), predictions_.end(), 0);
        }
        for (std::size_t b = 0; b < geometry_.blockComponent.size(); ++b) DecodeBlock(geometry_.blockComponent[b], *out++);
        ++next_;
        return out;
    }

    void DecodeBlock(int component, Block& block) {
        const ScanComponent& c = headers_.components[component];
        const int dcSize = reader_.DecodeSymbol(headers_.dc[c.dcTable]);
        if (dcSize > kMaxDcBits) GiveUp();
        const int dc = predictions_[component] + reader_.ReceiveValue(dcSize);
        if (dc < -(1 << kMaxDcBits) + 1 || dc > (1 << kMaxDcBits) - 1) GiveUp();
        predictions_[component] = dc;
        block.dc = dc;
        block.acCount = 0;
        for (int k = 1; k < kCoefficients; ++k) {
            const int symbol = reader_.DecodeSymbol(headers_.ac[c.acTable]);
            const int run = symbol >> 4, size = symbol & 0x0F;
            if (size == 0 && run != 15) {  // end of block
                block.ac[block.acCount++] = 0;
                break;
            }
            k += size == 0 ? 15 : run;  // sixteen zeros, or the run before a value
            if (k >= kCoefficients || size > kMaxAcBits) GiveUp();
            block.ac[block.acCount++] = static_cast<std::uint32_t>(symbol) << 16 | reader_.ReceiveBits(size);
        }
    }

    const Headers& headers_;
    const Geometry& geometry_;
    EntropyReader reader_;
    std::vector<int> predictions_;  // the last DC value of each scan component
    std::uint64_t next_ = 0;        // the next MCU in the data
    std::uint64_t interval_ = 0;    // the restart interval the reader is in
};

// The cut's own Huffman codes: every baseline symbol with a code of fixed length, so that whatever
// the original's tables held can be written. Four bits for the 12 DC sizes; eight for the 162 AC
// symbols (end of block, sixteen zeros, then each run of 0-15 zeros with each size 1-10).
constexpr int kDcCodeLength = 4;
constexpr int kAcCodeLength = 8;

std::vector<std::uint8_t> AcSymbols() {
    std::vector<std::uint8_t> symbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= kMaxAcBits; ++size) symbols.push_back(static_cast<std::uint8_t>(run << 4 | size));
    return symbols;
}

class EntropyWriter {
public:
    explicit EntropyWriter(std::string& out) : out_(out) {
        const std::vector<std::uint8_t> symbols = AcSymbols();
        for (std::size_t i = 0; i < symbols.size(); ++i) acCode_[symbols[i]] = static_cast<std::uint8_t>(i);
    }

    void WriteBlock(const Block& block, int& prediction) {
        const int difference = block.dc - prediction;
        prediction = block.dc;
        const int dcSize = SizeOf(difference);
        if (dcSize > kMaxDcBits) GiveUp();
        Put(static_cast<unsigned>(dcSize), kDcCodeLength);
        PutValue(difference, dcSize);
        for (int i = 0; i < block.acCount; ++i) {
            const std::uint32_t symbol = block.ac[i] >> 16;
            const int size = static_cast<int>(symbol & 0x0F);
            Put(acCode_[symbol] << size | (block.ac[i] & 0xFFFF), kAcCodeLength + size);
        }
    }

    // Pads the last byte with 1 bits and writes the restart marker of this number.
    void Restart(unsigned number) {
        PadToByte();
        out_ += '\xFF';
        out_ += static_cast<char>(kRst0 + number % 8);
    }

    void PadToByte() {
        if (count_ % 8 != 0) Put((1u << (8 - count_ % 8)) - 1, 8 - count_ % 8);
    }

private:
    static int SizeOf(int value) {
        const unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
        return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude);
    }

    void PutValue(int value, int size) {
        if (size == 0) return;
        const int stored = value < 0 ? value + (1 << size) - 1 : value;
        Put(static_cast<unsigned>(stored), size);
    }

    void Put(unsigned code, int length) {
        bits_ = bits_ << length | (code & ((1u << length) - 1));
        count_ += length;
        while (count_ >= 8) {
            count_ -= 8;
            const char byte = static_cast<char>((bits_ >> count_) & 0xFF);
            out_ += byte;
            if (byte == '\xFF') out_ += '\0';
        }
    }

    std::string& out_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
    std::array<std::uint8_t, 256> acCode_{};
};

void Append16(std::string& out, std::size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// One DHT segment with the cut's codes in every table slot the scan uses.
std::string HuffmanTablesSegment(const Headers& headers) {
    std::string tables;
    const auto define = [&tables](int tableClass, int id, int codeLength, const std::vector<std::uint8_t>& symbols) {
        tables += static_cast<char>(tableClass << 4 | id);
        for (int length = 1; length <= 16; ++length) tables += static_cast<char>(length == codeLength ? symbols.size() : 0);
        tables.append(symbols.begin(), symbols.end());
    };
    std::vector<std::uint8_t> dcSymbols;
    for (int size = 0; size <= kMaxDcBits; ++size) dcSymbols.push_back(static_cast<std::uint8_t>(size));
    const std::vector<std::uint8_t> acSymbols = AcSymbols();
    std::array<bool, 4> dcDone{}, acDone{};
    for (const ScanComponent& c : headers.components) {
        if (!dcDone[c.dcTable]) define(0, c.dcTable, kDcCodeLength, dcSymbols);
        if (!acDone[c.acTable]) define(1, c.acTable, kAcCodeLength, acSymbols);
        dcDone[c.dcTable] = acDone[c.acTable] = true;
    }
    std::string segment = "\xFF\xC4";
    Append16(segment, tables.size() + 2);
    return segment + tables;
}

// The original's frame header with the cut's size.
std::string CutFrame(const Segment& frame, std::uint64_t width, std::uint64_t height) {
    std::string bytes = frame.bytes;
    bytes[5] = static_cast<char>(height >> 8);
    bytes[6] = static_cast<char>(height & 0xFF);
    bytes[7] = static_cast<char>(width >> 8);
    bytes[8] = static_cast<char>(width & 0xFF);
    return bytes;
}

JpegCut WriteCut(const Headers& headers, const Geometry& g, const std::vector<Block>& blocks) {
    JpegCut cut;
    cut.width = static_cast<int>(headers.width);
    cut.height = static_cast<int>(headers.height);
    std::string& out = cut.bytes;
    out = "\xFF\xD8";
    out += headers.kept;
    out += CutFrame(headers.frame, g.CutWidth(headers.width), g.CutHeight(headers.height));
    out += HuffmanTablesSegment(headers);
    // One restart interval a row: each row's first DC difference is then its own value, as in the original
    // only where a row began an interval, but always within the baseline range.
    out += "\xFF\xDD";
    Append16(out, 4);
    Append16(out, g.keptColumns);
    out += headers.scan.bytes;
    EntropyWriter writer(out);
    const std::size_t blocksPerMcu = g.blockComponent.size();
    std::size_t next = 0;
    for (std::uint64_t row = 0; row < g.keptRows; ++row) {
        if (row != 0) writer.Restart(static_cast<unsigned>(row - 1));
        std::vector<int> predictions(headers.components.size(), 0);
        for (std::uint64_t mcu = 0; mcu < g.keptColumns; ++mcu)
            for (std::size_t b = 0; b < blocksPerMcu; ++b) writer.WriteBlock(blocks[next++], predictions[g.blockComponent[b]]);
    }
    writer.PadToByte();
    out += "\xFF\xD9";
    return cut;
}

std::optional<JpegCut> Cut(ByteSource& source, int maxWidth, int maxHeight) {
    ChunkReader in(source);
    const Headers headers = ReadHeaders(in);
    if (headers.restartInterval == 0) return std::nullopt;
    const Geometry g = Measure(headers, maxWidth, maxHeight);
    // The cut decodes and writes its MCUs more slowly than libjpeg decodes them, and then libjpeg decodes
    // the cut: it pays only where the rows hold several times the MCUs the cut needs (pictures about
    // 1000 pixels wide and more, with intervals no longer than a row).
    const std::uint64_t inOrder = (g.keptRows - 1) * g.mcusPerRow + g.keptColumns;
    if (McusToDecode(g, headers.restartInterval) * kMinSaving > inOrder) return std::nullopt;

    const std::size_t blocksPerMcu = g.blockComponent.size();
    std::vector<Block> blocks(static_cast<std::size_t>(g.keptRows * g.keptColumns) * blocksPerMcu);
    McuDecoder decoder(headers, g, in);
    for (std::uint64_t row = 0; row < g.keptRows; ++row)
        decoder.Decode(row * g.mcusPerRow, g.keptColumns, &blocks[static_cast<std::size_t>(row * g.keptColumns) * blocksPerMcu]);
    return WriteCut(headers, g, blocks);
}

}  // namespace

std::optional<JpegCut> CutJpegAtRestarts(ByteSource& source, int maxWidth, int maxHeight) {
    if (maxWidth <= 0 || maxHeight <= 0) return std::nullopt;
    try {
        return Cut(source, maxWidth, maxHeight);
    } catch (const NotCuttable&) {
        return std::nullopt;
    }
}

}  // namespace velmira
