#include "palette/AdobeSwatches.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "palette/PaletteFileParts.h"

namespace velmira::palette {
namespace {

void Put16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

void PutFloat(std::string& out, float value) {
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    Put32(out, bits);
}

// An ASCII name as UTF-16.
void PutUtf16(std::string& out, const std::string& name) {
    for (const char c : name) Put16(out, static_cast<unsigned char>(c));
}

// Reads big-endian values from a block; a read beyond its end fails and leaves the reader failed.
class Reader {
public:
    explicit Reader(std::string_view bytes) noexcept : bytes_(bytes) {}

    bool Has(std::size_t count) const noexcept { return ok_ && bytes_.size() - pos_ >= count; }
    std::size_t Left() const noexcept { return ok_ ? bytes_.size() - pos_ : 0; }
    bool Ok() const noexcept { return ok_; }
    std::uint32_t U16() noexcept {
        if (!Has(2)) return Fail();
        const std::uint32_t high = Byte();
        return (high << 8) | Byte();
    }
    std::uint32_t U32() noexcept {
        const std::uint32_t high = U16();
        return (high << 16) | U16();
    }
    float Float() noexcept {
        const std::uint32_t bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string_view Bytes(std::size_t count) noexcept {
        if (!Has(count)) {
            Fail();
            return {};
        }
        const std::string_view part = bytes_.substr(pos_, count);
        pos_ += count;
        return part;
    }
    void Skip(std::size_t count) noexcept { Bytes(count); }

private:
    std::uint32_t Byte() noexcept { return static_cast<unsigned char>(bytes_[pos_++]); }
    std::uint32_t Fail() noexcept {
        ok_ = false;
        return 0;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

void ReadAseColour(std::string_view block, Collector& found) {
    Reader reader(block);
    reader.Skip(2 * static_cast<std::size_t>(reader.U16()));  // the name
    const std::string_view model = reader.Bytes(4);
    if (!reader.Ok()) return found.Unreadable();
    Swatch swatch;
    int count;
    if (model == "RGB ") {
        swatch.model = SwatchModel::Rgb;
        count = 3;
    } else if (model == "CMYK") {
        swatch.model = SwatchModel::Cmyk;
        count = 4;
    } else if (model == "LAB ") {
        swatch.model = SwatchModel::Lab;
        count = 3;
    } else if (model == "Gray") {
        swatch.model = SwatchModel::Grey;
        count = 1;
    } else {
        return found.Unreadable();
    }
    for (int i = 0; i < count; ++i) swatch.values[static_cast<std::size_t>(i)] = reader.Float();
    if (!reader.Ok()) return found.Unreadable();
    // The file keeps L from 0 to 1.
    if (swatch.model == SwatchModel::Lab) swatch.values[0] *= 100;
    found.Add(swatch);
}

void AddAcoColour(std::uint32_t space, const std::array<std::uint32_t, 4>& v, Collector& found) {
    auto signedValue = [](std::uint32_t value) { return static_cast<double>(static_cast<std::int16_t>(value)); };
    switch (space) {
    case 0:
        return found.Add(Swatch{SwatchModel::Rgb, {v[0] / 65535.0, v[1] / 65535.0, v[2] / 65535.0, 0}, {}});
    case 1:
        return found.Add(Swatch{SwatchModel::Hsb, {v[0] / 65536.0 * 360, v[1] / 65535.0, v[2] / 65535.0, 0}, {}});
    case 2:  // 0 is full ink
        return found.Add(Swatch{SwatchModel::Cmyk,
                                {1 - v[0] / 65535.0, 1 - v[1] / 65535.0, 1 - v[2] / 65535.0, 1 - v[3] / 65535.0},
                                {}});
    case 7:
        return found.Add(Swatch{SwatchModel::Lab, {v[0] / 100.0, signedValue(v[1]) / 100, signedValue(v[2]) / 100, 0}, {}});
    case 8:  // grey ink from 0 to 10000, as GIMP reads it
        return found.Add(Swatch{SwatchModel::Grey, {1 - std::min(v[0], 10000u) / 10000.0, 0, 0, 0}, {}});
    default:  // colour books and the like, known only by their libraries
        return found.Unreadable();
    }
}

// One version's list from where the reader stands; false when it is cut short or of another version. A list cut
// short keeps the colours read whole and counts the rest as lost.
bool ReadAcoList(Reader& reader, std::uint32_t version, Collector& found) {
    if (reader.U16() != version) return false;
    const std::uint32_t count = reader.U16();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!reader.Has(10)) {
            found.Lost(count - i);
            return false;
        }
        const std::uint32_t space = reader.U16();
        std::array<std::uint32_t, 4> values{};
        for (std::uint32_t& v : values) v = reader.U16();
        if (version == 2) {
            const std::uint32_t nameLength = reader.U32();
            if (!reader.Ok() || nameLength > reader.Left() / 2) {
                found.Lost(count - i);
                return false;
            }
            reader.Skip(2 * static_cast<std::size_t>(nameLength));
        }
        AddAcoColour(space, values, found);
    }
    return reader.Ok();
}

void PutAcoList(std::string& out, std::uint32_t version, const std::vector<std::uint32_t>& colours) {
    Put16(out, version);
    Put16(out, static_cast<std::uint32_t>(colours.size()));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        Put16(out, 0);  // RGB
        for (const std::uint8_t channel : {Red(colours[i]), Green(colours[i]), Blue(colours[i])})
            Put16(out, channel * 257u);
        Put16(out, 0);
        if (version == 2) {
            const std::string name = SlotName(i);
            Put32(out, static_cast<std::uint32_t>(name.size()) + 1);
            PutUtf16(out, name);
            Put16(out, 0);
        }
    }
}

}  // namespace

std::optional<PaletteContents> ReadAse(std::string_view bytes) {
    Reader reader(bytes);
    if (reader.Bytes(4) != kAseSignature) return std::nullopt;
    reader.U32();  // the version
    const std::uint32_t blocks = reader.U32();
    if (!reader.Ok()) return std::nullopt;
    Collector found;
    constexpr std::uint32_t kColourBlock = 0x0001;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t type = reader.U16();
        const std::string_view block = reader.Bytes(reader.U32());
        if (!reader.Ok()) {  // the file ends before this block does
            found.Lost(blocks - i);
            break;
        }
        if (type == kColourBlock) ReadAseColour(block, found);
    }
    return found.Contents();
}

std::string WriteAse(const std::vector<std::uint32_t>& colours) {
    std::string out = kAseSignature;
    Put16(out, 1);
    Put16(out, 0);
    Put32(out, static_cast<std::uint32_t>(colours.size()));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::string name = SlotName(i);
        const std::uint32_t nameLength = static_cast<std::uint32_t>(name.size()) + 1;
        Put16(out, 0x0001);
        Put32(out, 2 + 2 * nameLength + 4 + 3 * 4 + 2);
        Put16(out, nameLength);
        PutUtf16(out, name);
        Put16(out, 0);
        out += "RGB ";
        for (const std::uint8_t channel : {Red(colours[i]), Green(colours[i]), Blue(colours[i])})
            PutFloat(out, static_cast<float>(channel / 255.0));
        Put16(out, 2);  // a normal (process) colour
    }
    return out;
}

std::optional<PaletteContents> ReadAco(std::string_view bytes) {
    Reader first(bytes);
    const std::uint32_t version = first.U16();
    Reader reader(bytes);
    Collector listed;
    if (version != 1 && version != 2) return std::nullopt;
    if (!ReadAcoList(reader, version, listed)) return listed.Contents();
    if (version == 2) return listed.Contents();
    // The names' list that follows holds the same colours; a program reads it where it is whole.
    Collector named;
    if (reader.Has(4) && ReadAcoList(reader, 2, named)) return named.Contents();
    return listed.Contents();
}

std::string WriteAco(const std::vector<std::uint32_t>& colours) {
    std::string out;
    PutAcoList(out, 1, colours);
    PutAcoList(out, 2, colours);
    return out;
}

}  // namespace velmira::palette
