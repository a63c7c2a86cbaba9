#pragma once
// The plug-in helper process, velmira_spihost.exe, seen from the program: it loads the plug-ins, asks them what
// they read and whether they take a file, and has them decode it, so that no plug-in code ever runs in the
// program and one that crashes or never returns takes only the helper with it. Started when it is first needed
// and kept for the next request, with fewer rights than the program where the system allows. What it writes is
// copied once into the program's memory and checked against the request (spihost::ReadHelperFields and the
// checks beside it); of a picture only its size and the part the preview shows come back, through a section of
// the program's own.
#include <windows.h>

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "picture/DecodedPicture.h"
#include "spi/SpiHostProtocol.h"
#include "ui/UniqueHandle.h"

namespace velmira {

// The helper died or stopped answering while a plug-in decoded; the message names the plug-in whose code was
// running, in the words the program shows. The helper is gone by then, and the next request starts a fresh one.
class SpiHostFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A request made while another one waits for its answer (a message box shown meanwhile dispatches the user's
// input): it is refused, so that two requests never share the block.
class SpiHostBusy : public std::runtime_error {
public:
    SpiHostBusy();
};

// The user gave a picture load up while it waited (Esc, or closing the window): the helper has been ended and
// nothing more is said.
class SpiLoadGivenUp : public std::runtime_error {
public:
    SpiLoadGivenUp();
};

// The program's words for a plug-in file that crashed or hung the helper (the error display adds the stop).
std::string SpiFailureText(const std::string& path, SpiPluginState state);

// How long a call into a plug-in may go unanswered before the helper is ended; describing one plug-in (its
// loading and all its information calls together) has as long.
constexpr DWORD kSpiHostAnswerTimeoutMs = 10000;
// A picture request, all its calls together, has this many times a call's limit.
constexpr DWORD kSpiRequestCallLimits = 3;

// Which helper program a host starts, how long each call into a plug-in may go unanswered, and which bundled
// plug-in it lists after the folder's. An empty program is velmira_spihost.exe beside the running program, an
// empty bundled plug-in velmira_wic.spi there; the tests, which run from a folder of their own, name the ones the
// build made, and shorten the time limit where they make plug-ins hang.
struct SpiHostOptions {
    std::string program;
    DWORD answerTimeoutMs = kSpiHostAnswerTimeoutMs;
    std::string bundledPlugin;
};

// What a plug-in file turned out to be when the helper loaded it and asked for its information.
struct SpiPluginDescription {
    SpiPluginState state = SpiPluginState::NotAPlugin;
    std::string pattern;
    std::string description;
};

// Waits for one of `handles` as a picture load does on the window's thread: the window is painted, Esc gives
// the load up, and so does a close of one of the thread's windows, which is asked again for once the load has
// unwound; other input is dropped. After half a second of `since` the pointer shows the app-starting cursor.
// WAIT_OBJECT_0 + i for a handle, WAIT_TIMEOUT after `ms`, or kWaitGivenUp.
constexpr DWORD kWaitGivenUp = 0xFFFF0001;
DWORD WaitWhileLoading(const HANDLE* handles, DWORD count, DWORD ms, DWORD since);

class SpiHostProcess {
public:
    // `giveUp`, when given, is an event that ends every wait of this host as Esc does: for a host that waits on a
    // thread of its own, away from the window.
    explicit SpiHostProcess(SpiHostOptions options = {}, HANDLE giveUp = nullptr)
        : options_(std::move(options)), giveUp_(giveUp) {}
    SpiHostProcess(const SpiHostProcess&) = delete;
    SpiHostProcess& operator=(const SpiHostProcess&) = delete;
    ~SpiHostProcess() { Stop(); }

    // What the file at `path` is. A plug-in that crashes or does not finish loading and telling its information
    // within one call's limit is Crashed or Hung, and the helper is ended. Waits away from the window. Throws
    // SpiHostFailure only when the helper cannot be started, SpiLoadGivenUp when the give-up event is set.
    SpiPluginDescription Describe(const std::string& path);

    // The time of one picture request, its Find and Decode together: kSpiRequestCallLimits times a call's limit
    // from its start, whatever the helper writes meanwhile.
    class PictureRequest {
    public:
        explicit PictureRequest(SpiHostProcess& host);
        PictureRequest(const PictureRequest&) = delete;
        PictureRequest& operator=(const PictureRequest&) = delete;
        ~PictureRequest();

    private:
        SpiHostProcess& host_;
    };

    // The index in `plugins` (full paths, in list order) of the first plug-in that takes the file, or -1. Every
    // plug-in is asked with the file's first bytes, and when none takes it, again with a handle of the file. A
    // plug-in that crashes or hangs while it is asked counts as declining; the round goes on in a fresh helper,
    // and one that does so with the handle is not asked with it again. Throws SpiHostFailure when the request's
    // time is up, SpiLoadGivenUp when the user gave the load up.
    int Find(const std::vector<std::string>& plugins, const std::string& fileName);
    // Has plug-in `index` of the list decode the file: its size and its top-left min(width, maxWidth) x
    // min(height, maxHeight) pixels. None when it fails or what comes back fails the check. Throws SpiHostFailure
    // naming the plug-in when the helper crashes or does not answer in time, SpiLoadGivenUp when the user gave
    // the load up.
    std::optional<DecodedPicture> Decode(const std::vector<std::string>& plugins, int index,
                                         const std::string& fileName, int maxWidth, int maxHeight);

    bool Running() const noexcept { return static_cast<bool>(process_); }
    DWORD ProcessId() const noexcept { return processId_; }
    // Whether a request waits for its answer (asked by a caller that a message box dispatched to meanwhile).
    bool Busy() const noexcept { return busy_; }
    // Asks the helper to unload its plug-ins and end, and ends it if it does not do so at once.
    void Stop() noexcept;
    // Stops the helper and forgets what the plug-ins did in it, for another list of plug-ins.
    void Reset() noexcept {
        Stop();
        handleFormFaults_.clear();
    }

private:
    enum class Outcome { Answered, Died, TimedOut, TooLong, GivenUp };
    // Writes the request (`maxWidth`, `maxHeight` and `section` only for kDecode), wakes the helper and waits for
    // its answer; starts the helper first when it is not running. Throws SpiHostBusy while another request waits.
    Outcome Ask(spihost::Request request, const std::vector<std::string>& plugins, int plugin,
                const std::string& fileName, int maxWidth = 0, int maxHeight = 0, HANDLE section = nullptr);
    // The helper program this host starts.
    std::string Program() const;
    void Start();
    // `calls` is the helper's count of calls as the request was made.
    Outcome WaitForAnswer(std::uint32_t serial, std::uint32_t calls);
    // The helper's fields, copied once.
    spihost::HelperFields Answer() const noexcept;
    // Whether the picture request under way has used up its time.
    bool RequestTimeUp() const;
    // The plug-in of `plugins` whose code ran when the helper stopped, or -1.
    int Calling(const std::vector<std::string>& plugins) const;
    // Ends a helper that does not answer, and lets its handles go.
    void Abandon(Outcome outcome) noexcept;
    // Ends the helper and says why to the caller of a picture request, naming `plugin` where it is to blame.
    [[noreturn]] void Fail(Outcome outcome, const std::string& plugin);

    SpiHostOptions options_;
    HANDLE giveUp_ = nullptr;
    ui::UniqueKernelHandle job_;
    ui::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    ui::UniqueKernelHandle mapping_;
    ui::UniqueMappedView view_;
    ui::UniqueKernelHandle requestEvent_;
    ui::UniqueKernelHandle answerEvent_;
    spihost::ControlBlock* control_ = nullptr;
    std::uint32_t serial_ = 0;
    bool busy_ = false;
    // When the picture request under way began; none outside one (a description has one call's limit).
    std::optional<DWORD> requestStart_;
    // The plug-ins that crashed or hung when asked with a file handle: not asked with one again until Reset.
    std::set<std::string> handleFormFaults_;
};

}  // namespace velmira
