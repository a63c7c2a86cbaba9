#pragma once
// A ByteSource over bytes already in memory (tests, fuzzers, pictures handed over by a plug-in).
#include <cstring>
#include <string_view>

#include "picture/ByteSource.h"

namespace velmira {

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::string_view bytes) noexcept : bytes_(bytes) {}

    std::uint64_t Size() override { return bytes_.size(); }

    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t start = static_cast<std::size_t>(offset);
        const std::size_t n = count < bytes_.size() - start ? count : bytes_.size() - start;
        if (n != 0) std::memcpy(buffer, bytes_.data() + start, n);
        return n;
    }

private:
    std::string_view bytes_;
};

}  // namespace velmira
