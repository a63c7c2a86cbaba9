#pragma once
// JPEG background pictures through libjpeg, at full size and the library's best quality.
#include <string>

#include "picture/ByteSource.h"
#include "picture/DecodedPicture.h"

namespace velmira {

// The text of the std::runtime_error thrown when libjpeg refuses a file: "JPEG エラー #" followed by
// libjpeg's message code (the J_MESSAGE_CODE of jerror.h) in decimal.
std::string JpegErrorMessage(int messageCode);

// Decodes the JPEG file in `source` into RGB. Only the top-left min(width, maxWidth) x
// min(height, maxHeight) pixels are decoded and kept (reading stops after the last visible row);
// they equal the top-left region of a full decode. The full size from the frame header is reported.
//
// - Greyscale, YCbCr and RGB files come out through libjpeg's own conversion to RGB.
// - CMYK and YCCK files are read as CMYK and converted here (libjpeg has no CMYK to RGB path). A file
//   with an Adobe marker stores the inks inverted, as Adobe's programs write them.
// - Other colour spaces (2 components, unknown 4-component ones) give the JPEG error of the failed
//   conversion request.
// - Damage that libjpeg only warns about (corrupt entropy data, a file that ends early) does not stop
//   the decode: libjpeg fills what it could not read with its own fill. Damage below the last visible
//   row may go unnoticed because decoding stops there.
// - Declared sizes over 2^28 pixels, more than 500 progressive scans, and work needing more than
//   256 MB are refused with a JPEG error.
// - A baseline file with restart markers that is wider than the visible part is cut down first
//   (CutJpegAtRestarts), so that its load costs the same whatever the picture's size.
DecodedPicture DecodeJpeg(ByteSource& source, int maxWidth, int maxHeight);

// DecodeJpeg without the cut: every row down to the last visible one is entropy-decoded across the
// picture's whole width. Gives the same pictures and errors; tests and benchmarks compare the two.
DecodedPicture DecodeJpegRowByRow(ByteSource& source, int maxWidth, int maxHeight);

}  // namespace velmira
