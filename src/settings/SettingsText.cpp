#include "settings/SettingsText.h"

#include <cctype>
#include <utility>
#include <vector>

#include "text/Blanks.h"

namespace velmira {
namespace {

constexpr unsigned kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;
constexpr unsigned kKeyF1 = 0x70;
constexpr unsigned kKeyPause = 0x13;

struct NamedKey {
    std::string_view name;
    unsigned code;
};
constexpr NamedKey kNamedKeys[] = {
    {"space", 0x20},  {"pageup", 0x21}, {"pagedown", 0x22}, {"end", 0x23},
    {"home", 0x24},   {"insert", 0x2D}, {"delete", 0x2E},   {"pause", kKeyPause},
    {"left", 0x25},   {"up", 0x26},     {"right", 0x27},    {"down", 0x28},
};
constexpr NamedKey kModifiers[] = {
    {"ctrl", kModControl}, {"control", kModControl}, {"alt", kModAlt}, {"shift", kModShift}, {"win", kModWin},
};

std::string Lower(std::string_view part) {
    std::string lower(part);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

template <std::size_t N>
std::optional<unsigned> CodeOf(const NamedKey (&table)[N], const std::string& name) {
    for (const NamedKey& entry : table)
        if (entry.name == name) return entry.code;
    return std::nullopt;
}

// The key's code, and whether it is one that types or edits.
std::optional<std::pair<unsigned, bool>> KeyOf(const std::string& name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::make_pair(static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0]))), true);
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
        unsigned number = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
            number = number * 10 + static_cast<unsigned>(name[i] - '0');
        }
        if (name[1] == '0' || number < 1 || number > 24) return std::nullopt;
        return std::make_pair(kKeyF1 + number - 1, false);
    }
    const auto named = CodeOf(kNamedKeys, name);
    if (!named) return std::nullopt;
    return std::make_pair(*named, *named != kKeyPause);
}

}  // namespace

std::string StartingFolder(std::string_view folder, LeadBytePredicate isLead) {
    // Walk by characters to find where the last one and the one before it start.
    std::size_t last = std::string_view::npos;
    std::size_t previous = std::string_view::npos;
    for (std::size_t pos = 0; pos < folder.size(); pos = NextCharOffset(folder, pos, isLead)) {
        previous = last;
        last = pos;
    }
    const bool endsInBackslash = last != std::string_view::npos && folder.size() - last == 1 && folder[last] == '\\';
    if (!endsInBackslash) return std::string(folder);
    const bool afterDriveColon =
        previous != std::string_view::npos && last - previous == 1 && folder[previous] == ':';
    if (afterDriveColon) return std::string(folder);
    return std::string(folder.substr(0, last));
}


// Only ASCII is read: no byte of the text can then be half of a double-byte character.
std::optional<KeyCombination> ReadKeyCombinationText(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t plus = text.find('+', start);
        parts.push_back(Lower(Trimmed(text.substr(start, plus == std::string_view::npos ? plus : plus - start))));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    KeyCombination combination;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto modifier = CodeOf(kModifiers, parts[i]);
        if (!modifier || (combination.modifiers & *modifier)) return std::nullopt;
        combination.modifiers |= *modifier;
    }
    const auto key = KeyOf(parts.back());
    if (!key) return std::nullopt;
    const bool typing = key->second;
    if (typing && !(combination.modifiers & (kModControl | kModAlt))) return std::nullopt;
    combination.key = key->first;
    return combination;
}

}  // namespace velmira
