// Test plug-in that hands back one 4 x 2 picture in every layout of DIB that GDI draws, chosen by the fifth
// byte of a file that starts with "LAYO" (see kLayouts). Its IsSupported reads only the buffer form, as many
// plug-ins do: handed a file handle, it declines.
//
// The picture: red, green, blue, white on top; black, yellow, cyan, magenta below. Indexed layouts use a table
// whose first eight entries are those colours; the 1-bit layout is a black and white chequer.
#include <cstring>
#include <vector>

#include "PluginCommon.h"

namespace {

constexpr LONG kWidth = 4;
constexpr LONG kHeight = 2;
const RGBQUAD kColours[8] = {{0, 0, 255, 0},   {0, 255, 0, 0},   {255, 0, 0, 0},   {255, 255, 255, 0},
                             {0, 0, 0, 0},     {0, 255, 255, 0}, {255, 255, 0, 0}, {255, 0, 255, 0}};
// The colour index of each pixel, top row first.
const BYTE kIndexes[kHeight][kWidth] = {{0, 1, 2, 3}, {4, 5, 6, 7}};

struct Layout {
    char mode;
    DWORD headerSize;   // 12 (core), 40, 108 (V4) or 124 (V5)
    WORD bits;
    DWORD compression;
    DWORD clrUsed;      // as stated in the header
    DWORD entries;      // colour entries actually in the block
    bool topDown;
};

const Layout kLayouts[] = {
    {'a', 40, 24, BI_RGB, 0, 0, false},         // the common case
    {'t', 40, 24, BI_RGB, 0, 0, true},          // top-down rows
    {'T', 40, 32, BI_RGB, 0, 0, true},
    {'1', 40, 1, BI_RGB, 0, 2, false},
    {'4', 40, 4, BI_RGB, 8, 8, false},          // fewer colours than the depth has
    {'f', 40, 4, BI_RGB, 16, 16, false},        // exactly as many
    {'8', 40, 8, BI_RGB, 0, 256, true},         // a full table, top-down
    {'o', 40, 8, BI_RGB, 300, 256, false},      // more colours stated than 8 bits have; 256 there
    {'5', 40, 16, BI_RGB, 0, 0, false},         // 5-5-5
    {'6', 40, 16, BI_BITFIELDS, 0, 0, false},   // 5-6-5, the masks after the header
    {'v', 124, 32, BI_BITFIELDS, 0, 0, false},  // red and blue swapped by masks inside a V5 header
    {'V', 108, 32, BI_RGB, 0, 0, false},
    {'r', 40, 8, BI_RLE8, 0, 256, false},
    {'R', 40, 4, BI_RLE4, 0, 16, false},
    {'c', 12, 8, BI_RGB, 0, 256, false},        // a core header with RGBTRIPLE entries
};

const Layout* Find(char mode) {
    for (const Layout& l : kLayouts)
        if (l.mode == mode) return &l;
    return nullptr;
}

const Layout* LayoutOf(LPCSTR name) {
    char head[5] = {};
    if (plugin::ReadHead(name, head, sizeof head) != 5 || std::memcmp(head, "LAYO", 4) != 0) return nullptr;
    return Find(head[4]);
}

RGBQUAD Colour(const Layout& l, LONG x, LONG y) {
    if (l.bits == 1) return kColours[(x + y) % 2 ? 4 : 3];
    return kColours[kIndexes[y][x]];
}

void Put(std::vector<BYTE>& row, DWORD value, int bytes) {
    for (int i = 0; i < bytes; ++i) row.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// One row (y counted from the top) of an uncompressed layout, padded to four bytes.
std::vector<BYTE> Row(const Layout& l, LONG y) {
    std::vector<BYTE> row;
    for (LONG x = 0; x < kWidth; ++x) {
        const RGBQUAD c = Colour(l, x, y);
        switch (l.bits) {
        case 1:
            if (x % 8 == 0) row.push_back(0);
            row.back() |= ((x + y) % 2 ? 0 : 1) << (7 - x % 8);
            break;
        case 4:
            if (x % 2 == 0) row.push_back(0);
            row.back() |= kIndexes[y][x] << (x % 2 ? 0 : 4);
            break;
        case 8: row.push_back(kIndexes[y][x]); break;
        case 16:
            if (l.compression == BI_BITFIELDS) Put(row, (c.rgbRed >> 3) << 11 | (c.rgbGreen >> 2) << 5 | c.rgbBlue >> 3, 2);
            else Put(row, (c.rgbRed >> 3) << 10 | (c.rgbGreen >> 3) << 5 | c.rgbBlue >> 3, 2);
            break;
        case 24: Put(row, c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16, 3); break;
        case 32:
            if (l.compression == BI_BITFIELDS) Put(row, c.rgbRed | c.rgbGreen << 8 | c.rgbBlue << 16, 4);
            else Put(row, c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16, 4);
            break;
        }
    }
    row.resize(plugin::Stride(kWidth, l.bits));
    return row;
}

std::vector<BYTE> Pixels(const Layout& l) {
    // Run-length rows, bottom row first: the bottom row in absolute mode, the top one in runs, then the end.
    if (l.compression == BI_RLE8) return {0, 4, 4, 5, 6, 7, 0, 0, 1, 0, 1, 1, 1, 2, 1, 3, 0, 1};
    if (l.compression == BI_RLE4) return {0, 4, 0x45, 0x67, 0, 0, 2, 0x01, 2, 0x23, 0, 1};
    std::vector<BYTE> pixels;
    for (LONG i = 0; i < kHeight; ++i) {
        const std::vector<BYTE> row = Row(l, l.topDown ? i : kHeight - 1 - i);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
}

std::vector<BYTE> Info(const Layout& l, DWORD pixelBytes) {
    const DWORD masks = l.compression == BI_BITFIELDS && l.headerSize == 40 ? 12 : 0;
    const DWORD entrySize = l.headerSize == 12 ? 3 : 4;
    std::vector<BYTE> info(l.headerSize + masks + l.entries * entrySize);
    BYTE* h = info.data();
    if (l.headerSize == 12) {
        BITMAPCOREHEADER core{sizeof core, WORD(kWidth), WORD(kHeight), 1, l.bits};
        std::memcpy(h, &core, sizeof core);
    } else {
        BITMAPINFOHEADER header{};
        header.biSize = l.headerSize;
        header.biWidth = kWidth;
        header.biHeight = l.topDown ? -kHeight : kHeight;
        header.biPlanes = 1;
        header.biBitCount = l.bits;
        header.biCompression = l.compression;
        header.biSizeImage = pixelBytes;
        header.biClrUsed = l.clrUsed;
        std::memcpy(h, &header, sizeof header);
        if (l.compression == BI_BITFIELDS) {
            const DWORD fields[3] = {l.bits == 16 ? 0xF800u : 0x000000FFu, l.bits == 16 ? 0x07E0u : 0x0000FF00u,
                                     l.bits == 16 ? 0x001Fu : 0x00FF0000u};
            std::memcpy(h + 40, fields, sizeof fields);
        }
    }
    BYTE* table = h + l.headerSize + masks;
    for (DWORD i = 0; i < l.entries; ++i, table += entrySize) {
        RGBQUAD c = i < 8 ? kColours[i] : RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        if (l.bits == 1) c = kColours[i == 0 ? 4 : 3];
        std::memcpy(table, &c, entrySize);
    }
    return info;
}

HLOCAL Block(const std::vector<BYTE>& bytes) {
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, bytes.size());
    if (block) {
        std::memcpy(LocalLock(block), bytes.data(), bytes.size());
        LocalUnlock(block);
    }
    return block;
}

}  // namespace

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.lay");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "Every DIB layout");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD dw) {
    if (HIWORD(dw) == 0) return 0;
    const char* head = reinterpret_cast<const char*>(static_cast<ULONG_PTR>(dw));
    return std::memcmp(head, "LAYO", 4) == 0 && Find(head[4]) != nullptr;
}

SPI_EXPORT int __stdcall GetPictureInfo(LPCSTR buf, LONG, UINT, spi::PictureInfo* lpInfo) {
    const Layout* l = LayoutOf(buf);
    if (!l) return spi::kUnknownFormat;
    *lpInfo = spi::PictureInfo{0, 0, kWidth, kHeight, 0, 0, static_cast<SHORT>(l->bits), 0, nullptr};
    return spi::kSuccess;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR buf, LONG, UINT, HANDLE* pHBInfo, HANDLE* pHBm, spi::ProgressCallback,
                                    LONG) {
    const Layout* l = LayoutOf(buf);
    if (!l) return spi::kUnknownFormat;
    const std::vector<BYTE> pixels = Pixels(*l);
    *pHBInfo = Block(Info(*l, static_cast<DWORD>(pixels.size())));
    *pHBm = Block(pixels);
    return spi::kSuccess;
}
