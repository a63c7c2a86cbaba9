// libFuzzer target: the integer reading rule against a second, deliberately naive reading of the same rule
// (whole-number arithmetic in 64 bits, no early exits), so that a disagreement on any text is a finding.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "FuzzInput.h"
#include "text/IntegerReading.h"

namespace {

std::optional<std::int32_t> Reference(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    t.remove_prefix(i);
    std::size_t hexStart = std::string_view::npos;
    if (!t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X')) hexStart = 1;
    else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) hexStart = 2;
    if (hexStart != std::string_view::npos) {
        const std::string_view digits = t.substr(hexStart);
        if (digits.empty()) return std::nullopt;
        std::uint64_t v = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return std::nullopt;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty()) return std::nullopt;
    std::int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > 0x80000000ll) return std::nullopt;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> got = velmira::ReadInteger(text);
    FUZZ_CHECK(got == Reference(text));
    FUZZ_CHECK(velmira::ReadIntegerOr(text, 12345) == got.value_or(12345));
    return 0;
}
