#pragma once
// A ByteSource that passes reads through and counts the bytes they return: the proof that a decoder reads
// only the part of a file it needs.
#include <cstdint>

#include "picture/ByteSource.h"

namespace velmira::test {

class CountingSource final : public ByteSource {
public:
    explicit CountingSource(ByteSource& inner) : inner_(inner) {}
    std::uint64_t Size() override { return inner_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        const std::size_t n = inner_.ReadAt(offset, buffer, count);
        bytes += n;
        return n;
    }
    std::uint64_t bytes = 0;

private:
    ByteSource& inner_;
};

}  // namespace velmira::test
