#include "image/SpiHostProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/SpiPictureCheck.h"
#include "text/SystemText.h"

namespace velmira {

namespace {

constexpr char kHelperName[] = "velmira_spihost.exe";
// The program's words after the plug-in's path, as with "がありません。"; the error display adds the stop.
constexpr char kCrashed[] = "が異常終了しました";
constexpr char kNotAnswering[] = "が応答しないため中止しました";
constexpr char kCannotStart[] = "を起動できません";

// How long the helper gets to unload its plug-ins and end when asked to, and to go once it has been ended.
constexpr DWORD kQuitWaitMs = 2000;
// The longest stretch without looking at the message queue: the system takes a thread that has not asked for
// messages for five seconds as hung, and offers the user to end the program.
constexpr DWORD kQueueCheckMs = 1000;

std::string g_program;
DWORD g_answerTimeoutMs = kSpiHostAnswerTimeoutMs;

std::string CurrentFolder() {
    char folder[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

// A handle the helper inherits: created inheritable, and made private again once the helper has started.
SECURITY_ATTRIBUTES Inheritable() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

std::string HandleText(HANDLE h) { return std::to_string(static_cast<unsigned long>(HandleToULong(h))); }

// A job that ends the helper with the program, however the program ends; none where the system refuses one.
ui::UniqueKernelHandle KillOnCloseJob() {
    ui::UniqueKernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

// Paints what needs painting while the helper works, so that the window does not stay blank for the seconds a
// slow plug-in takes. Nothing else is taken from the queue: input waits until the load has ended.
void DispatchPaint() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageA(&msg);
}

}  // namespace

void SpiHostProcess::SetProgram(const std::string& path) { g_program = path; }

std::string SpiHostProcess::Program() {
    return g_program.empty() ? ExecutableDirectory() + kHelperName : g_program;
}

void SpiHostProcess::SetAnswerTimeout(DWORD ms) noexcept { g_answerTimeoutMs = ms; }

void SpiHostProcess::Start() {
    const std::string program = Program();
    SECURITY_ATTRIBUTES inherit = Inheritable();
    mapping_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(sizeof(spihost::ControlBlock)), nullptr));
    if (mapping_) view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    requestEvent_.reset(::CreateEventA(&inherit, FALSE, FALSE, nullptr));
    answerEvent_.reset(::CreateEventA(&inherit, FALSE, FALSE, nullptr));
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE, TRUE,
                      0);
    const ui::UniqueKernelHandle parent(self);

    bool started = false;
    if (view_ && requestEvent_ && answerEvent_ && parent) {
        control_ = static_cast<spihost::ControlBlock*>(view_.get());
        std::string commandLine = "\"" + program + "\" " + HandleText(mapping_.get()) + " " +
                                  HandleText(requestEvent_.get()) + " " + HandleText(answerEvent_.get()) + " " +
                                  HandleText(parent.get());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                   nullptr, nullptr, &startup, &info) != FALSE;
        if (started) {
            process_.reset(info.hProcess);
            processId_ = info.dwProcessId;
            const ui::UniqueKernelHandle thread(info.hThread);
            job_ = KillOnCloseJob();
            // Refused where the program itself runs in a job that allows no other; the helper then ends when
            // it sees the program gone.
            if (job_ && !::AssignProcessToJobObject(job_.get(), process_.get())) job_.reset();
            ::ResumeThread(thread.get());
        }
    }
    for (const ui::UniqueKernelHandle* h : {&mapping_, &requestEvent_, &answerEvent_})
        if (*h) ::SetHandleInformation(h->get(), HANDLE_FLAG_INHERIT, 0);
    if (!started) {
        Stop();
        throw SpiHostFailure(program + kCannotStart);
    }
}

void SpiHostProcess::Stop() noexcept {
    if (process_) {
        if (control_ && requestEvent_) {
            control_->request = spihost::kQuit;
            control_->serial = ++serial_;
            control_->textBytes = 0;
            ::SetEvent(requestEvent_.get());
        }
        if (::WaitForSingleObject(process_.get(), kQuitWaitMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_.get(), 1);
            ::WaitForSingleObject(process_.get(), kQuitWaitMs);
        }
    }
    control_ = nullptr;
    view_.reset();
    mapping_.reset();
    requestEvent_.reset();
    answerEvent_.reset();
    process_.reset();
    processId_ = 0;
    job_.reset();
}

bool SpiHostProcess::Ask(spihost::Request request, const std::vector<std::string>& plugins, int index,
                         const std::string& fileName) {
    const auto text = spihost::PackRequestText({fileName, CurrentFolder(), plugins});
    if (!text) return false;
    // A helper that ended between two requests (the system's doing, or a plug-in thread's) is replaced quietly.
    if (Running() && ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) Stop();
    if (!Running()) Start();
    spihost::ControlBlock& c = *control_;
    c.request = request;
    c.serial = ++serial_;
    c.plugin = index;
    c.textBytes = static_cast<std::uint32_t>(text->size());
    std::memcpy(c.text, text->data(), text->size());
    c.answer = spihost::kNoAnswer;
    c.calling = spihost::kNoPlugin;
    ::SetEvent(requestEvent_.get());
    const Outcome outcome = WaitForAnswer(c.serial);
    if (outcome != Outcome::Answered) Fail(outcome, plugins);
    return true;
}

SpiHostProcess::Outcome SpiHostProcess::WaitForAnswer(std::uint32_t serial) {
    const HANDLE handles[] = {answerEvent_.get(), process_.get()};
    const DWORD timeout = g_answerTimeoutMs;
    const DWORD start = ::GetTickCount();
    for (;;) {
        DispatchPaint();
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeout) return Outcome::TimedOut;
        const DWORD wait = ::MsgWaitForMultipleObjects(2, handles, FALSE, std::min(timeout - elapsed, kQueueCheckMs),
                                                       QS_PAINT);
        if (wait == WAIT_OBJECT_0 && control_->answerSerial == serial) return Outcome::Answered;
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_FAILED) return Outcome::Died;
    }
}

void SpiHostProcess::Fail(Outcome outcome, const std::vector<std::string>& plugins) {
    // Read before the block goes; the value is the helper's, so it is only trusted as an index into the list.
    const std::int32_t calling = control_->calling;
    const std::string name = calling >= 0 && static_cast<std::size_t>(calling) < plugins.size()
                                 ? plugins[static_cast<std::size_t>(calling)]
                                 : Program();
    if (outcome == Outcome::TimedOut) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), kQuitWaitMs);
    }
    Stop();
    throw SpiHostFailure(name + (outcome == Outcome::TimedOut ? kNotAnswering : kCrashed));
}

int SpiHostProcess::Find(const std::vector<std::string>& plugins, const std::string& fileName) {
    if (plugins.empty() || !Ask(spihost::kFind, plugins, spihost::kNoPlugin, fileName)) return -1;
    const std::int32_t found = control_->found;
    const bool valid = control_->answer == spihost::kFound && found >= 0 &&
                       static_cast<std::size_t>(found) < plugins.size();
    return valid ? found : -1;
}

ui::UniqueBitmap SpiHostProcess::Decode(const std::vector<std::string>& plugins, int index,
                                        const std::string& fileName, int& width, int& height) {
    if (!Ask(spihost::kDecode, plugins, index, fileName) || control_->answer != spihost::kDecoded) return {};
    return TakePicture(width, height);
}

// Everything the helper wrote is checked again: the sizes against the section, the bitmap info (copied out of
// the shared block first, so that nothing can change it after the check) against the plain form.
ui::UniqueBitmap SpiHostProcess::TakePicture(int& width, int& height) {
    HANDLE local = nullptr;
    // Closes the helper's handle whatever happens, so that the section goes with the program's.
    if (!::DuplicateHandle(process_.get(), ULongToHandle(control_->section), ::GetCurrentProcess(), &local,
                           FILE_MAP_READ, FALSE, DUPLICATE_CLOSE_SOURCE))
        return {};
    const ui::UniqueKernelHandle section(local);
    const std::size_t infoBytes = control_->infoBytes;
    const std::size_t pixelBytes = control_->pixelBytes;
    SpiPictureBlocks blocks;
    blocks.width = control_->width;
    blocks.height = control_->height;
    if (infoBytes < 40 || infoBytes > kMaxCanonicalSpiInfo || pixelBytes > SIZE_MAX - infoBytes) return {};
    const ui::UniqueMappedView view(::MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, infoBytes + pixelBytes));
    MEMORY_BASIC_INFORMATION region{};
    if (!view || ::VirtualQuery(view.get(), &region, sizeof region) == 0 ||
        region.RegionSize < infoBytes + pixelBytes)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(view.get());
    const std::vector<unsigned char> info(bytes, bytes + infoBytes);
    blocks.info = info.data();
    blocks.infoSize = infoBytes;
    blocks.pixelSize = pixelBytes;
    SpiPictureLayout layout;
    if (CheckSpiPicture(blocks, &layout) != SpiPictureVerdict::Ok || layout.headerSize != 40 || layout.topDown)
        return {};

    const ui::ScopedGetDC screen(nullptr);
    if (!screen) return {};
    ui::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), blocks.width, blocks.height));
    if (!bitmap) return {};
    const int lines = ::SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(blocks.height),
                                  bytes + infoBytes, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                  DIB_RGB_COLORS);
    if (lines == 0) return {};
    width = blocks.width;
    height = blocks.height;
    return bitmap;
}

}  // namespace velmira
