#include "image/JpegRestartCut.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <vector>

#include "image/JpegEntropy.h"
#include "image/JpegHeaderReader.h"

namespace velmira {
namespace {

using namespace jpeg;

constexpr int kMaxBlocksInMcu = 10;
// How many times fewer MCUs than decoding the rows in order the cut must decode to be worth making.
constexpr std::uint64_t kMinSaving = 4;

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
    McuDecoder decoder(headers, g.blockComponent, in);
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
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // the row decoder needs far less memory than the cut
    }
}

}  // namespace velmira
