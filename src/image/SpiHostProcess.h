#pragma once
// The plug-in helper process, velmira_spihost.exe, seen from the program: it loads the plug-ins, asks them what
// they read and whether they take a file, and has them decode it, so that no plug-in code ever runs in the
// program and one that crashes or never returns takes only the helper with it. Started when it is first needed
// and kept for the next request. Of a picture only its size and the part the preview shows come back, through
// a section of the program's own, and are checked again here.
#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "picture/DecodedPicture.h"
#include "spi/SpiHostProtocol.h"
#include "image/SpiPluginCache.h"
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

// The program's words for a plug-in file that crashed or hung the helper (the error display adds the stop).
std::string SpiFailureText(const std::string& path, SpiPluginState state);

// How long a call into a plug-in may go unanswered before the helper is ended.
constexpr DWORD kSpiHostAnswerTimeoutMs = 10000;

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

class SpiHostProcess {
public:
    explicit SpiHostProcess(SpiHostOptions options = {}) : options_(std::move(options)) {}
    SpiHostProcess(const SpiHostProcess&) = delete;
    SpiHostProcess& operator=(const SpiHostProcess&) = delete;
    ~SpiHostProcess() { Stop(); }

    // What each file of `paths` is, in the same order. A plug-in that crashes or hangs while it loads or tells
    // its information is Crashed or Hung, and the rest are asked in a fresh helper. Throws SpiHostFailure only
    // when the helper cannot be started.
    std::vector<SpiPluginDescription> Describe(const std::vector<std::string>& paths);
    // The index in `plugins` (full paths, in list order) of the first plug-in that takes the file, or -1. Every
    // plug-in is asked with the file's first bytes, and when none takes it, again with a handle of the file. A
    // plug-in that crashes or hangs while it is asked counts as declining; the round goes on in a fresh helper,
    // and one that does so with the handle is not asked with it again.
    int Find(const std::vector<std::string>& plugins, const std::string& fileName);
    // Has plug-in `index` of the list decode the file: its size and its top-left min(width, maxWidth) x
    // min(height, maxHeight) pixels. None when it fails or what comes back fails the check. Throws SpiHostFailure
    // naming the plug-in when the helper crashes or does not answer in time.
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
    enum class Outcome { Answered, Died, TimedOut, TooLong };
    // Writes the request (`prepare` fills its other fields once the helper runs), wakes the helper and waits for
    // its answer; starts the helper first when it is not running. Throws SpiHostBusy while another request waits.
    Outcome Ask(spihost::Request request, const std::vector<std::string>& plugins, int plugin,
                const std::string& fileName, const std::function<void(spihost::ControlBlock&)>& prepare = {});
    // The helper program this host starts.
    std::string Program() const;
    void Start();
    Outcome WaitForAnswer(std::uint32_t serial);
    // The plug-in of `plugins` whose code ran when the helper stopped, or -1.
    int Calling(const std::vector<std::string>& plugins) const;
    // Ends a helper that does not answer, and lets its handles go.
    void Abandon(Outcome outcome) noexcept;

    SpiHostOptions options_;
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
    // The plug-ins that crashed or hung when asked with a file handle: not asked with one again until Reset.
    std::set<std::string> handleFormFaults_;
};

}  // namespace velmira
