#include "image/ImageFormat.h"

namespace velmira {

int FormatOfLowerCaseExtension(std::string_view extension) {
    if (extension == ".jpg" || extension == ".jpeg") return kFormatJpeg;
    if (extension == ".bmp") return kFormatBmp;
    return kFormatOther;
}

int CheckFormat(std::string_view path, LeadBytePredicate isLead) {
    return FormatOfLowerCaseExtension(LowerCaseSingleByteLetters(ExtensionOf(path, isLead), isLead));
}

}  // namespace velmira
