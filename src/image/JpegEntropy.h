#pragma once
// The entropy decoder and writer of the JPEG cut: the MCUs of a scan decoded through its restart intervals
// into blocks as their codes stand, and blocks written again with the cut's own fixed-length codes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/JpegHeaderReader.h"

namespace velmira::jpeg {

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


class McuDecoder {
public:
    McuDecoder(const Headers& headers, const std::vector<int>& blockComponent, ChunkReader& in)
        : headers_(headers), blockComponent_(blockComponent), reader_(in), predictions_(headers.components.size(), 0) {}

    // Decodes MCUs [first, first + count) into `out`, one Block per block. `first` must not lie before
    // the MCUs already decoded.
    void Decode(std::uint64_t first, std::uint64_t count, Block* out) {
        SkipTo(first);
        for (std::uint64_t i = 0; i < count; ++i) out = DecodeMcu(out);
    }

private:
    // Intervals before the one holding `mcu` are passed over by their markers; within that interval
    // the MCUs before it must be decoded all the same, since each one's data starts where the last one's ended.
    void SkipTo(std::uint64_t mcu) {
        const std::uint64_t target = mcu / headers_.restartInterval;
        if (target > interval_) {
            while (interval_ < target) reader_.NextInterval(static_cast<unsigned>(interval_++));
            next_ = target * headers_.restartInterval;
            std::fill(predictions_.begin(), predictions_.end(), 0);
        }
        Block discarded;
        while (next_ < mcu) {
            for (std::size_t b = 0; b < blockComponent_.size(); ++b) DecodeBlock(blockComponent_[b], discarded);
            ++next_;
        }
    }

    Block* DecodeMcu(Block* out) {
        const std::uint64_t interval = next_ / headers_.restartInterval;
        if (interval != interval_) {  // the MCU starts the next interval
            reader_.NextInterval(static_cast<unsigned>(interval_++));
            std::fill(predictions_.begin(), predictions_.end(), 0);
        }
        for (std::size_t b = 0; b < blockComponent_.size(); ++b) DecodeBlock(blockComponent_[b], *out++);
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
    const std::vector<int>& blockComponent_;  // the scan component of each block of an MCU
    EntropyReader reader_;
    std::vector<int> predictions_;  // the last DC value of each scan component
    std::uint64_t next_ = 0;        // the next MCU in the data
    std::uint64_t interval_ = 0;    // the restart interval the reader is in
};


// the original's tables held can be written. Four bits for the 12 DC sizes; eight for the 162 AC
// symbols (end of block, sixteen zeros, then each run of 0-15 zeros with each size 1-10).
constexpr int kDcCodeLength = 4;
constexpr int kAcCodeLength = 8;

inline std::vector<std::uint8_t> AcSymbols() {
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

}  // namespace velmira::jpeg
