#pragma once
// What the program and its plug-in helper process (velmira_spihost.exe) exchange: one block of shared memory
// that holds a request and its answer, and the text of a request. The program sets the request event after
// writing a request; the helper sets the answer event after writing the answer. Both are 32-bit processes;
// every field has a fixed width all the same.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmira::spihost {

enum Request : std::uint32_t {
    kFind = 1,    // which plug-in of the list takes the file
    kDecode = 2,  // have plug-in `plugin` decode the file
    kQuit = 3,    // unload the plug-ins and end
};

enum Answer : std::uint32_t {
    kNoAnswer = 0,
    kFound = 1,       // `found` is the first plug-in that takes the file
    kNotFound = 2,    // none does, or the file cannot be read
    kDecoded = 3,     // the picture lies in the section `section`: `infoBytes`, then `pixelBytes`
    kNotDecoded = 4,  // the plug-in failed, or handed back blocks that fail the check
};

constexpr std::int32_t kNoPlugin = -1;
constexpr std::size_t kControlBytes = 256 * 1024;

struct ControlBlock {
    // Written by the program.
    std::uint32_t request;
    std::uint32_t serial;     // numbers the requests; the answer carries it back
    std::int32_t plugin;      // kDecode: the plug-in's index in the list
    std::uint32_t textBytes;  // bytes of `text` in use
    // Written by the helper.
    std::uint32_t answerSerial;
    std::uint32_t answer;
    std::int32_t found;
    // The plug-in whose code runs now (its DLL's start-up included), kNoPlugin between calls: the one to
    // name when the helper dies or stops answering.
    std::int32_t calling;
    std::int32_t width;
    std::int32_t height;
    std::uint32_t section;  // the section's handle in the helper; the program takes it over
    std::uint32_t infoBytes;
    std::uint32_t pixelBytes;
    char text[kControlBytes - 13 * sizeof(std::uint32_t)];
};
static_assert(sizeof(ControlBlock) == kControlBytes, "one block, no padding");

// A request's texts: the file, the current folder the plug-ins open it from, and the plug-ins' full paths in
// list order (the helper loads them and keeps them loaded while the list stays the same).
struct RequestText {
    std::string fileName;
    std::string folder;
    std::vector<std::string> plugins;
};

// The texts one after another, each ending in a zero byte; none when they do not fit the block or a text holds
// a zero byte.
std::optional<std::string> PackRequestText(const RequestText& text);
// The texts back from the bytes in use; none when fewer than the file name and the folder are there, or the
// last text has no ending zero.
std::optional<RequestText> UnpackRequestText(const char* bytes, std::size_t size);

}  // namespace velmira::spihost
