#include "wicplugin/LibraryPicture.h"

#include "wicplugin/WicPixels.h"

namespace velmira::wic {

std::unique_ptr<LibraryPicture> OpenLibraryPicture(ByteSource& source) {
    unsigned char head[16] = {};
    const std::size_t got = source.ReadAt(0, head, sizeof head);
    switch (DetectCoreFormat(head, got)) {
    case CoreFormat::Png: return OpenPng(source);
    case CoreFormat::Gif: return OpenGif(source);
    case CoreFormat::Tiff: return OpenTiff(source);
    case CoreFormat::Webp: return OpenWebp(source);
    default: return nullptr;
    }
}

}  // namespace velmira::wic
