#pragma once
// The program's own BMP reader: every header generation (OS/2 1.x and 2.x, Windows 3 to V5),
// 1/2/4/8/16/24/32 bits per pixel, RLE4 and RLE8, bit-field masks, top-down rows.
#include "picture/ByteSource.h"
#include "picture/DecodedPicture.h"

namespace velmira {

// The text of the std::runtime_error thrown for any file the reader refuses.
inline constexpr char kBitmapErrorMessage[] = "ビットマップイメージが不正です";

// Decodes the BMP file in `source` (starting with its 14-byte "BM" file header). Only the top-left
// min(width, maxWidth) x min(height, maxHeight) pixels are read and converted; the full declared size
// is reported. Throws std::runtime_error(kBitmapErrorMessage) for a damaged or unsupported file.
//
// Choices for files that are not quite right:
// - Pixel data of an uncompressed picture that ends before the last row: refused (the check uses the
//   declared size, so the answer does not depend on how much of the picture is visible).
// - RLE data that ends early (no end-of-bitmap code), or that skips pixels with delta and end-of-line
//   codes: the pixels never written take palette entry 0, as they would in a fresh DIB section.
//   Runs and deltas that reach past the right edge are clipped; data past the last row is ignored.
// - Palette indices past the palette and palette entries missing from the file: black.
// - Alpha (32-bit BI_RGB's fourth byte, alpha masks): ignored, the preview is opaque.
// - Pictures wider or taller than 65536 pixels, or of more than 2^28 pixels: refused.
DecodedPicture DecodeBmp(ByteSource& source, int maxWidth, int maxHeight);

}  // namespace velmira
