#include "image/SpiHostProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/SystemText.h"

namespace velmira {

namespace {

constexpr char kHelperName[] = "velmira_spihost.exe";
// The program's words after the plug-in's path, as with "がありません。"; the error display adds the stop.
constexpr char kCrashed[] = "が異常終了しました";
constexpr char kNotAnswering[] = "が応答しないため中止しました";
constexpr char kCannotStart[] = "を起動できません";
constexpr char kBusy[] = "前の画像をまだ読み込んでいます";

// How long the helper gets to unload its plug-ins and end when asked to, and to go once it has been ended.
constexpr DWORD kQuitWaitMs = 2000;
// The longest stretch without looking at the message queue: the system takes a thread that has not asked for
// messages for five seconds as hung, and offers the user to end the program.
constexpr DWORD kQueueCheckMs = 1000;
// Plug-ins named in one request to describe them; their paths fit the block many times over.
constexpr std::size_t kDescribeBatch = 256;
// The largest visible part asked for: a preview far larger than any screen's.
constexpr std::size_t kMaxVisibleBytes = std::size_t{64} << 20;

std::string CurrentFolder() {
    char folder[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

// A handle the helper inherits: created inheritable, handed to it alone in the list of handles it inherits, and
// made private again once it has started.
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

// The start-up attribute that limits what the helper inherits to the handles named, so that no other
// inheritable handle of the program (one that a library made) goes along.
class InheritedHandleList {
public:
    explicit InheritedHandleList(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (size == 0 || !::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!::UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                         handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
            ::DeleteProcThreadAttributeList(list_);
            list_ = nullptr;
        }
    }
    InheritedHandleList(const InheritedHandleList&) = delete;
    InheritedHandleList& operator=(const InheritedHandleList&) = delete;
    ~InheritedHandleList() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    LPPROC_THREAD_ATTRIBUTE_LIST get() const noexcept { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<unsigned char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Paints what needs painting while the helper works, so that the window does not stay blank for the seconds a
// slow plug-in takes. Nothing else is taken from the queue: input waits until the load has ended.
void DispatchPaint() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// Marks a request as waiting for its answer for as long as it does.
class ScopedBusy {
public:
    explicit ScopedBusy(bool& busy) : busy_(busy) {
        if (busy_) throw SpiHostBusy();
        busy_ = true;
    }
    ScopedBusy(const ScopedBusy&) = delete;
    ScopedBusy& operator=(const ScopedBusy&) = delete;
    ~ScopedBusy() { busy_ = false; }

private:
    bool& busy_;
};

}  // namespace

std::string SpiFailureText(const std::string& path, SpiPluginState state) {
    return path + (state == SpiPluginState::Hung ? kNotAnswering : kCrashed);
}

SpiHostBusy::SpiHostBusy() : std::runtime_error(kBusy) {}

std::string SpiHostProcess::Program() const {
    return options_.program.empty() ? ExecutableDirectory() + kHelperName : options_.program;
}

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
        const InheritedHandleList inherited({mapping_.get(), requestEvent_.get(), answerEvent_.get(), parent.get()});
        STARTUPINFOEXA startup{};
        startup.StartupInfo.cb = inherited.get() ? sizeof startup : sizeof startup.StartupInfo;
        startup.lpAttributeList = inherited.get();
        const DWORD flags = CREATE_SUSPENDED | (inherited.get() ? EXTENDED_STARTUPINFO_PRESENT : 0);
        PROCESS_INFORMATION info{};
        started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                   nullptr, &startup.StartupInfo, &info) != FALSE;
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

void SpiHostProcess::Abandon(Outcome outcome) noexcept {
    if (outcome == Outcome::TimedOut) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), kQuitWaitMs);
    }
    Stop();
}

SpiHostProcess::Outcome SpiHostProcess::Ask(spihost::Request request, const std::vector<std::string>& plugins,
                                            int plugin, const std::string& fileName,
                                            const std::function<void(spihost::ControlBlock&)>& prepare) {
    const ScopedBusy busy(busy_);
    const auto text = spihost::PackRequestText({fileName, CurrentFolder(), plugins});
    if (!text) return Outcome::TooLong;
    // A helper that ended between two requests (the system's doing, or a plug-in thread's) is replaced quietly.
    if (Running() && ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) Stop();
    if (!Running()) Start();
    spihost::ControlBlock& c = *control_;
    c.request = request;
    c.serial = ++serial_;
    c.plugin = plugin;
    c.textBytes = static_cast<std::uint32_t>(text->size());
    std::memcpy(c.text, text->data(), text->size());
    c.pixels = 0;
    if (prepare) prepare(c);
    c.answer = spihost::kNoAnswer;
    c.calling = spihost::kNoPlugin;
    ::SetEvent(requestEvent_.get());
    const Outcome outcome = WaitForAnswer(c.serial);
    return outcome;
}

SpiHostProcess::Outcome SpiHostProcess::WaitForAnswer(std::uint32_t serial) {
    const HANDLE handles[] = {answerEvent_.get(), process_.get()};
    const DWORD timeout = options_.answerTimeoutMs;
    std::uint32_t calls = control_->calls;
    DWORD since = ::GetTickCount();
    for (;;) {
        DispatchPaint();
        // Each call into a plug-in has the whole limit: a slow load of many plug-ins is no hang of the last one.
        if (control_->calls != calls) {
            calls = control_->calls;
            since = ::GetTickCount();
        }
        const DWORD elapsed = ::GetTickCount() - since;
        if (elapsed >= timeout) return Outcome::TimedOut;
        const DWORD wait = ::MsgWaitForMultipleObjects(2, handles, FALSE, std::min(timeout - elapsed, kQueueCheckMs),
                                                       QS_PAINT);
        if (wait == WAIT_OBJECT_0 && control_->answerSerial == serial) return Outcome::Answered;
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_FAILED) return Outcome::Died;
    }
}

int SpiHostProcess::Calling(const std::vector<std::string>& plugins) const {
    // The value is the helper's, so it is only trusted as an index into the list.
    const std::int32_t calling = control_ ? control_->calling : spihost::kNoPlugin;
    return calling >= 0 && static_cast<std::size_t>(calling) < plugins.size() ? calling : -1;
}

std::vector<SpiPluginDescription> SpiHostProcess::Describe(const std::vector<std::string>& paths) {
    using State = SpiPluginState;
    std::vector<SpiPluginDescription> found(paths.size());
    for (std::size_t from = 0; from < paths.size();) {
        const std::vector<std::string> batch(paths.begin() + static_cast<std::ptrdiff_t>(from),
                                             paths.begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(paths.size(), from + kDescribeBatch)));
        const Outcome outcome = Ask(spihost::kDescribe, batch, 0, std::string());
        if (outcome == Outcome::TooLong) break;  // paths no file system has: nothing to describe
        const std::size_t described = std::min<std::size_t>(control_->described, batch.size());
        const auto replies = spihost::ReadDescriptions(control_->reply, std::min<std::size_t>(control_->replyBytes,
                                                       sizeof control_->reply), described);
        for (std::size_t i = 0; replies && i < replies->size(); ++i) {
            const spihost::PluginDescription& reply = (*replies)[i];
            found[from + i] = {reply.state, reply.pattern, reply.description};
        }
        if (outcome == Outcome::Answered) {
            from += std::max<std::size_t>(described, 1);
            continue;
        }
        // The plug-in after the last one described was running: it is left out, and the rest go on afresh.
        Abandon(outcome);
        if (described < batch.size()) {
            found[from + described].state = outcome == Outcome::TimedOut ? State::Hung : State::Crashed;
            ++from;
        }
        from += described;
    }
    return found;
}

int SpiHostProcess::Find(const std::vector<std::string>& plugins, const std::string& fileName) {
    for (const spihost::Request round : {spihost::kFind, spihost::kFindByHandle}) {
        const bool byHandle = round == spihost::kFindByHandle;
        // A plug-in left out of the handle round is named by an empty path, which loads nothing.
        std::vector<std::string> asked = plugins;
        if (byHandle)
            for (std::string& path : asked)
                if (handleFormFaults_.count(path)) path.clear();
        for (std::size_t from = 0; from < asked.size();) {
            const Outcome outcome = Ask(round, asked, static_cast<int>(from), fileName);
            if (outcome == Outcome::TooLong) return -1;
            if (outcome == Outcome::Answered) {
                const std::int32_t found = control_->found;
                if (control_->answer == spihost::kFound && found >= static_cast<std::int32_t>(from) &&
                    static_cast<std::size_t>(found) < asked.size())
                    return found;
                break;
            }
            // The plug-in that was asked declines by crashing or hanging; the round goes on after it.
            const int calling = Calling(asked);
            Abandon(outcome);
            if (calling < static_cast<int>(from)) break;
            if (byHandle) handleFormFaults_.insert(asked[static_cast<std::size_t>(calling)]);
            from = static_cast<std::size_t>(calling) + 1;
        }
    }
    return -1;
}

std::optional<DecodedPicture> SpiHostProcess::Decode(const std::vector<std::string>& plugins, int index,
                                                     const std::string& fileName, int maxWidth, int maxHeight) {
    if (index < 0 || static_cast<std::size_t>(index) >= plugins.size() || maxWidth < 1 || maxHeight < 1 ||
        std::size_t(maxWidth) * std::size_t(maxHeight) > kMaxVisibleBytes / 4)
        return std::nullopt;
    // The visible part comes into a section of the program's own, lent to the helper for this request: once the
    // answer is there the pixels are the program's, whatever becomes of the helper.
    const DWORD bytes = static_cast<DWORD>(std::size_t(maxWidth) * std::size_t(maxHeight) * 4);
    const ui::UniqueKernelHandle section(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, nullptr));
    if (!section) return std::nullopt;
    const ui::UniqueMappedView view(::MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, bytes));
    if (!view) return std::nullopt;
    const Outcome outcome = Ask(spihost::kDecode, plugins, index, fileName, [&](spihost::ControlBlock& c) {
        HANDLE lent = nullptr;
        c.maxWidth = maxWidth;
        c.maxHeight = maxHeight;
        if (::DuplicateHandle(::GetCurrentProcess(), section.get(), process_.get(), &lent, FILE_MAP_WRITE, FALSE, 0))
            c.pixels = HandleToULong(lent);
    });
    if (outcome == Outcome::TooLong) return std::nullopt;
    if (outcome != Outcome::Answered) {
        // Code of ours runs in the helper between the plug-in's calls too; the plug-in decoding is named then.
        const int calling = Calling(plugins);
        const std::string& name = plugins[static_cast<std::size_t>(calling >= 0 ? calling : index)];
        Abandon(outcome);
        throw SpiHostFailure(
            SpiFailureText(name, outcome == Outcome::TimedOut ? SpiPluginState::Hung : SpiPluginState::Crashed));
    }
    const spihost::ControlBlock& c = *control_;
    if (c.answer != spihost::kDecoded || c.width < 1 || c.height < 1 ||
        c.visibleWidth != std::min(c.width, maxWidth) || c.visibleHeight != std::min(c.height, maxHeight))
        return std::nullopt;
    DecodedPicture picture;
    picture.width = c.width;
    picture.height = c.height;
    picture.visibleWidth = c.visibleWidth;
    picture.visibleHeight = c.visibleHeight;
    const auto* pixels = static_cast<const std::uint32_t*>(view.get());
    picture.pixels.resize(std::size_t(picture.visibleWidth) * std::size_t(picture.visibleHeight));
    std::transform(pixels, pixels + picture.pixels.size(), picture.pixels.begin(),
                   [](std::uint32_t p) { return p & 0x00FFFFFFu; });
    return picture;
}

}  // namespace velmira
