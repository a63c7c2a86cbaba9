#pragma once
// The installed decoders' file patterns read from their registrations, without starting COM or loading the
// imaging component: the host asks for them while its window is being created.
#include <cstddef>
#include <optional>
#include <string>

namespace velmira::wic {

// What InstalledDecoderPatterns gives, read from the registry keys the imaging component enumerates itself:
// every decoder registered under the decoder category that has signature patterns and ASCII file extensions.
// Nothing when the category cannot be read; the caller then asks the imaging component.
std::optional<std::string> RegisteredDecoderPatterns(std::string pattern, std::size_t maxLength);

}  // namespace velmira::wic
