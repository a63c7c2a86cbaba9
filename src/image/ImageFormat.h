#pragma once
// Which decoder a background picture goes to, decided by the extension of its path alone.
#include <string>
#include <string_view>

#include "text/Cp932.h"
#include "text/PathText.h"

namespace velmira {

constexpr int kFormatBmp = 1;
constexpr int kFormatJpeg = 2;
constexpr int kFormatOther = 3;  // offered to the image plug-ins

// The format code of an extension that is already lower-cased (the Windows side lower-cases with
// CharLowerBuffA, which knows the locale's double-byte characters).
int FormatOfLowerCaseExtension(std::string_view extension);

// The format code of a path: kFormatBmp for ".bmp", kFormatJpeg for ".jpg" or ".jpeg" in any case,
// kFormatOther for anything else, including no extension.
int CheckFormat(std::string_view path, LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
