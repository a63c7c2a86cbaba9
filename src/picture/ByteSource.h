#pragma once
// Random access to the bytes of a picture file, so that decoders read only what they need.
#include <cstddef>
#include <cstdint>

namespace velmira {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() = 0;
    // Copies up to `count` bytes starting at `offset` into `buffer` and returns how many were copied:
    // fewer than asked only at the end of the data (none at or past it). May throw on an I/O failure.
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

}  // namespace velmira
