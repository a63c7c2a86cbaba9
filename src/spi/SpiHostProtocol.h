#pragma once
// What the program and its plug-in helper process (velmira_spihost.exe) exchange: one block of shared memory
// that holds a request and its answer, and the texts of a request and of the helper's descriptions. The program
// sets the request event after writing a request; the helper sets the answer event after writing the answer.
// Both are 32-bit processes; every field has a fixed width all the same.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmira {

// What a plug-in file turned out to be when the helper loaded it and asked for its information.
enum class SpiPluginState : char {
    Usable = 'U',
    NotAPlugin = 'N',  // no DLL, or one without the exports a plug-in must have
    Crashed = 'C',     // the helper crashed in its start-up code or its information
    Hung = 'H',        // the helper was ended there for not answering in time
};

}  // namespace velmira

namespace velmira::spihost {

enum Request : std::uint32_t {
    kDescribe = 1,      // load the plug-ins of the list from `plugin` on and say what each is (see `reply`)
    kFind = 2,          // which plug-in of the list from `plugin` on takes the file, asked with its first bytes
    kFindByHandle = 3,  // the same, asked with a handle of the file opened for reading
    kDecode = 4,        // have plug-in `plugin` decode the file: its size and the part a preview shows
    kQuit = 5,          // unload the plug-ins and end
};

enum Answer : std::uint32_t {
    kNoAnswer = 0,
    kDescribed = 1,   // `described` plug-ins from `plugin` on are in `reply`; fewer than asked when it is full
    kFound = 2,       // `found` is the first plug-in that takes the file
    kNotFound = 3,    // none does, or the file cannot be read
    kDecoded = 4,     // the picture's size, and its top-left visible part in the program's section
    kNotDecoded = 5,  // the plug-in failed, or handed back blocks that fail the check
};

constexpr std::int32_t kNoPlugin = -1;
constexpr std::size_t kControlBytes = 256 * 1024;
constexpr std::size_t kReplyBytes = 64 * 1024;


// The fields the helper writes. The program copies them once (ReadHelperFields) and checks the copy against its
// own request before anything uses it: a plug-in in the helper can write the block at any moment.
struct HelperFields {
    std::uint32_t answerSerial;
    std::uint32_t answer;
    std::int32_t found;
    // The plug-in whose code is running (its DLL's start-up included), kNoPlugin between calls: the one to
    // name when the helper dies or stops answering.
    std::int32_t calling;
    // Counts the calls into plug-ins that have begun, so that each call of a picture request has the whole
    // limit of one call; the request's own limit stays whatever it says.
    std::uint32_t calls;
    std::uint32_t described;   // kDescribe: entries complete in `reply`
    std::uint32_t replyBytes;  // bytes of `reply` in use
    std::int32_t width;        // kDecoded: the picture's size, and of its top-left part that was decoded
    std::int32_t height;
    std::int32_t visibleWidth;
    std::int32_t visibleHeight;
};

struct ControlBlock {
    // Written by the program.
    std::uint32_t request;
    std::uint32_t serial;     // numbers the requests; the answer carries it back
    std::int32_t plugin;      // kDecode: the plug-in's index in the list; otherwise the first one to ask
    std::uint32_t textBytes;  // bytes of `text` in use
    std::int32_t maxWidth;    // kDecode: the most columns and rows of the picture that are shown
    std::int32_t maxHeight;
    std::uint32_t pixels;     // kDecode: the helper's handle of the program's section for the visible part
    HelperFields helper;
    char reply[kReplyBytes];
    char text[kControlBytes - kReplyBytes - 18 * sizeof(std::uint32_t)];
};
static_assert(sizeof(ControlBlock) == kControlBytes, "one block, no padding");

// A request's texts: the file, the current folder the plug-ins open it from, and the plug-ins' full paths in
// list order (the helper loads each on its first use and keeps it loaded until it ends).
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

// One plug-in as the helper found it: usable, no plug-in, or one whose start-up code failed (crashed, as far as
// the system lets the helper tell). Its entry in the reply is the state's letter, then the pattern and the
// description, each ending in a zero byte (empty unless it is usable).
struct PluginDescription {
    SpiPluginState state = SpiPluginState::NotAPlugin;
    std::string pattern;
    std::string description;
};

// Appends a description to the reply; false (and nothing written) when it does not fit in `room` bytes.
bool AppendDescription(const PluginDescription& description, char* reply, std::size_t room, std::size_t& used);
// The first `count` descriptions of a reply; none when the bytes do not hold that many, or a text is longer than
// a plug-in's information buffer lets it be.
std::optional<std::vector<PluginDescription>> ReadDescriptions(const char* reply, std::size_t size,
                                                               std::size_t count);

// The longest pattern or description: a plug-in's whole 260-byte information buffer, which is cut at its end
// when the plug-in wrote no zero.
constexpr std::size_t kMaxInfoText = 260;

// Copies bytes the other process may be writing at the same moment, each byte read once: what the copy holds is
// all that is ever used of them.
void CopyShared(void* to, const volatile void* from, std::size_t size) noexcept;
HelperFields ReadHelperFields(const volatile ControlBlock& block) noexcept;

// The checks of the program's copy against what it asked. Sizes it can work out itself are worked out here.
//
// The plug-in that found the file: an index of the list from `from` on; none when the answer is not kFound or
// the index lies outside.
std::optional<std::size_t> FoundPlugin(const HelperFields& answer, std::size_t from, std::size_t listSize);
// The plug-in whose code ran when the helper stopped: an index of the list, or none.
std::optional<std::size_t> CallingPlugin(const HelperFields& answer, std::size_t listSize);
// How many descriptions of `asked` the reply holds, and how many of its bytes are in use: never more than asked
// or than the reply has room for.
std::size_t DescribedCount(const HelperFields& answer, std::size_t asked);
std::size_t ReplyBytes(const HelperFields& answer);

// A decoded picture's size and its visible part, min(width, maxWidth) x min(height, maxHeight), worked out from
// the size the helper gave; none when the answer is no picture, a size is not positive, or the helper claims
// another visible part than that.
struct PictureSizes {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t visibleWidth = 0;
    std::int32_t visibleHeight = 0;
};
std::optional<PictureSizes> DecodedSizes(const HelperFields& answer, std::int32_t maxWidth, std::int32_t maxHeight);

// The bytes of the visible part the program lends the helper for maxWidth x maxHeight pixels of 4 bytes; none
// when that is not positive or more than `limit`. Worked out in 64 bits, whatever the sizes.
std::optional<std::uint32_t> SectionBytes(std::int32_t maxWidth, std::int32_t maxHeight, std::uint64_t limit);

}  // namespace velmira::spihost
