#pragma once
// The preview's corner of a wide baseline JPEG with restart markers, cut out as a small JPEG of its own.
#include <optional>
#include <string>

#include "picture/ByteSource.h"

namespace velmira {

struct JpegCut {
    std::string bytes;  // a complete baseline JPEG of the top-left corner
    int width = 0;      // the size the original file declares
    int height = 0;
};

// A baseline JPEG can only be entropy-decoded in order, each row across the whole width, except where
// it has restart markers: decoding may start afresh at every one of them. CutJpegAtRestarts reads the
// file's headers, finds the restart intervals holding the MCUs under the top-left
// min(width, maxWidth) x min(height, maxHeight) pixels (one MCU more to the right and below, so that
// the upsampler sees the same neighbours), decodes the coefficients of just those MCUs and writes them
// into a new JPEG with the original's frame, quantisation tables and colour markers. libjpeg gives the
// same pixels for that corner as for the original; the rest of each row is skipped by looking for the
// next marker, not decoded.
//
// Gives nothing, so that the caller decodes the file as it stands, for a file without restart
// markers; a progressive, arithmetic-coded, lossless, 12-bit or multi-scan file; a picture whose visible
// part is nearly as wide as the picture; and anything unusual in the headers or in the MCUs it decodes
// (bad codes, missing or misnumbered markers, values out of the baseline range). Damaged files thus
// keep libjpeg's own errors, warnings and repairs.
std::optional<JpegCut> CutJpegAtRestarts(ByteSource& source, int maxWidth, int maxHeight);

}  // namespace velmira
