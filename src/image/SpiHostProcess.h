#pragma once
// The plug-in helper process, velmira_spihost.exe, seen from the program: started when a picture first needs
// a plug-in and kept for the next, it asks the plug-ins whether they take a file and has them decode it, so
// that a plug-in that crashes or never returns takes only the helper with it. The picture comes back through
// shared memory and is checked again here before the conversion reads it.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "image/SpiHostProtocol.h"
#include "ui/UniqueHandle.h"

namespace velmira {

// The helper died or stopped answering; the message names the plug-in whose code was running, in the
// words the program shows. The helper is gone by then, and the next request starts a fresh one.
class SpiHostFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How long a request may go unanswered before the helper is ended.
constexpr DWORD kSpiHostAnswerTimeoutMs = 10000;

class SpiHostProcess {
public:
    SpiHostProcess() = default;
    SpiHostProcess(const SpiHostProcess&) = delete;
    SpiHostProcess& operator=(const SpiHostProcess&) = delete;
    ~SpiHostProcess() { Stop(); }

    // The helper program every host starts: by default velmira_spihost.exe beside the running program. The
    // tests, which run from a folder of their own, name the one the build made.
    static void SetProgram(const std::string& path);
    static std::string Program();
    // The answer timeout, kSpiHostAnswerTimeoutMs unless a test shortens it.
    static void SetAnswerTimeout(DWORD ms) noexcept;

    // The index in `plugins` (full paths, in list order) of the first plug-in that takes the file, or -1.
    // Throws SpiHostFailure.
    int Find(const std::vector<std::string>& plugins, const std::string& fileName);
    // Has plug-in `index` of the list decode the file into a bitmap of the screen's format; none when it fails
    // or what comes back fails the check. Throws SpiHostFailure.
    ui::UniqueBitmap Decode(const std::vector<std::string>& plugins, int index, const std::string& fileName,
                            int& width, int& height);

    bool Running() const noexcept { return static_cast<bool>(process_); }
    DWORD ProcessId() const noexcept { return processId_; }
    // Asks the helper to unload its plug-ins and end, and ends it if it does not do so at once.
    void Stop() noexcept;

private:
    void Start();
    // Writes the request, wakes the helper and waits for its answer; throws SpiHostFailure (after ending the
    // helper) when it dies or does not answer in time. False when the request's texts do not fit the block.
    bool Ask(spihost::Request request, const std::vector<std::string>& plugins, int index,
             const std::string& fileName);
    enum class Outcome { Answered, Died, TimedOut };
    Outcome WaitForAnswer(std::uint32_t serial);
    [[noreturn]] void Fail(Outcome outcome, const std::vector<std::string>& plugins);
    ui::UniqueBitmap TakePicture(int& width, int& height);

    ui::UniqueKernelHandle job_;
    ui::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    ui::UniqueKernelHandle mapping_;
    ui::UniqueMappedView view_;
    ui::UniqueKernelHandle requestEvent_;
    ui::UniqueKernelHandle answerEvent_;
    spihost::ControlBlock* control_ = nullptr;
    std::uint32_t serial_ = 0;
};

}  // namespace velmira
