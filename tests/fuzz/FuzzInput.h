#pragma once
// Splitting one fuzzer input into the several texts or numbers a target needs, so that every byte of the
// input still reaches the code under test and the fuzzer can steer each piece on its own.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace velmira::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) noexcept
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The text up to the next byte 0x00 (which is consumed), or everything left.
    std::string_view Text() noexcept {
        const std::size_t end = rest_.find('\0');
        const std::string_view text = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
    }

    // Four bytes little-endian, zero-filled past the end.
    std::uint32_t U32() noexcept {
        unsigned char b[4] = {};
        const std::size_t n = rest_.size() < 4 ? rest_.size() : 4;
        std::memcpy(b, rest_.data(), n);
        rest_.remove_prefix(n);
        return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }

    std::string_view Rest() noexcept { return std::exchange(rest_, std::string_view()); }
    bool Empty() const noexcept { return rest_.empty(); }

private:
    std::string_view rest_;
};

}  // namespace velmira::fuzz

// A broken promise of the code under test: stop at once so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) __builtin_trap(); \
    } while (0)
