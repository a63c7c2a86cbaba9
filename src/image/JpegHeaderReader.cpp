#include "image/JpegHeaderReader.h"

#include <algorithm>
#include <cstring>

namespace velmira::jpeg {
namespace {

// The limits libjpeg and the decoder put on a frame; a file over them must reach libjpeg to be refused.
constexpr unsigned kMaxDimension = 65500;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

std::uint8_t ReadMarker(ChunkReader& in) {
    if (in.Next() != 0xFF) GiveUp();  // libjpeg skips such garbage with a warning; leave that to it
    return MarkerCodeAfterFF(in);
}


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


}  // namespace

std::string ChunkReader::Take(std::size_t count) {
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

void ChunkReader::Skip(std::size_t count) {
    const std::size_t here = std::min(count, end_ - pos_);
    pos_ += here;
    if (here < count) {  // past the buffer: the next read starts further on
        offset_ += end_ + (count - here);
        pos_ = end_ = 0;
    }
}

void ChunkReader::SkipToFF() {
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

void ChunkReader::Refill() {
    offset_ += end_;
    if (end_ != 0 && buffer_.size() < kChunkSize) buffer_.resize(std::min(kChunkSize, 2 * buffer_.size()));
    end_ = source_.ReadAt(offset_, buffer_.data(), buffer_.size());
    pos_ = 0;
    if (end_ == 0) GiveUp();  // the file ends early: libjpeg's repairs decide what shows
}

std::uint8_t MarkerCodeAfterFF(ChunkReader& in) {
    std::uint8_t code = in.Next();
    while (code == 0xFF) code = in.Next();
    return code;
}

std::size_t HuffmanDecoder::Define(const Segment& dht, std::size_t at, bool dcTable) {
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
            // libjpeg reads colour hints from APP0 and APP14. A file with more of them than any picture needs is
            // left to the row decoder rather than kept whole.
            const Segment segment = ReadSegment(in, marker);
            if (segment.bytes.size() > kMaxKeptBytes - headers.kept.size()) GiveUp();
            headers.kept += segment.bytes;
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


}  // namespace velmira::jpeg
