#include "image/SpiHostProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "text/SystemText.h"

namespace velmira {

namespace {

constexpr char kHelperName[] = "velmira_spihost.exe";
// The program's words after the plug-in's path, as with "がありません。"; the error display adds the stop.
constexpr char kCrashed[] = "が異常終了しました";
constexpr char kNotAnswering[] = "が応答しないため中止しました";
constexpr char kCannotStart[] = "を起動できません";
constexpr char kBusy[] = "前の画像をまだ読み込んでいます";
constexpr char kGivenUp[] = "画像の読み込みを中止しました";

// How long the helper gets to unload its plug-ins and end when asked to, and to go once it has been ended.
constexpr DWORD kQuitWaitMs = 2000;
// The longest stretch without looking at the message queue: the system takes a thread that has not asked for
// messages for five seconds as hung, and offers the user to end the program.
constexpr DWORD kQueueCheckMs = 1000;
// While a picture loads: how often the queue is looked at for a posted close, and after how long the pointer
// shows that the program is busy.
constexpr DWORD kLoadingQueueCheckMs = 100;
constexpr DWORD kBusyCursorMs = 500;
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

// A job that ends the helper with the program, however the program ends, and keeps it from the user interface
// of every process outside it: their windows (a plug-in cannot post to ours), the clipboard, global atoms, system
// parameters, display settings, desktops, and exiting Windows. None where the system refuses a job; the limits
// are left out where it refuses them alone.
ui::UniqueKernelHandle HelperJob() {
    ui::UniqueKernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    JOBOBJECT_BASIC_UI_RESTRICTIONS ui{};
    ui.UIRestrictionsClass = JOB_OBJECT_UILIMIT_HANDLES | JOB_OBJECT_UILIMIT_READCLIPBOARD |
                             JOB_OBJECT_UILIMIT_WRITECLIPBOARD | JOB_OBJECT_UILIMIT_GLOBALATOMS |
                             JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
                             JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_EXITWINDOWS;
    if (job) ::SetInformationJobObject(job.get(), JobObjectBasicUIRestrictions, &ui, sizeof ui);
    return job;
}

// The helper's token: the program's own without its privileges, at low integrity, so that no plug-in can write
// what the program keeps (velmira.ini, the plug-in cache: low integrity writes nothing of the user's) nor send
// messages to its windows. None where the system makes no such token; the helper then runs with the program's
// rights, in the job all the same.
ui::UniqueKernelHandle RestrictedToken() {
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own))
        return {};
    const ui::UniqueKernelHandle ownToken(own);
    HANDLE restricted = nullptr;
    if (!::CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0, nullptr, &restricted))
        return {};
    ui::UniqueKernelHandle token(restricted);
    SID_IDENTIFIER_AUTHORITY mandatory = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID lowSid = nullptr;
    if (!::AllocateAndInitializeSid(&mandatory, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0, &lowSid))
        return {};
    const std::unique_ptr<void, PVOID(WINAPI*)(PSID)> low(lowSid, &::FreeSid);
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = low.get();
    if (!::SetTokenInformation(token.get(), TokenIntegrityLevel, &label,
                               static_cast<DWORD>(sizeof label + ::GetLengthSid(low.get()))))
        return {};
    return token;
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
// slow plug-in takes.
void DispatchPaint() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// The user's input while a picture loads. Esc gives the load up, and so does a close of one of the thread's
// windows (its close box, Alt+F4, a close posted or sent from elsewhere), which `close` then names for once the
// load has unwound; the rest is dropped, as a busy window takes nothing.
bool TakeInputWhileLoading(HWND& close) {
    MSG msg;
    // A close sent from elsewhere has been taken by the form already, which asked the program to end.
    if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return true;
    }
    if (::PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        close = msg.hwnd;
        return true;
    }
    while (::PeekMessageA(&msg, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        if ((msg.wParam & 0xFFF0) == SC_CLOSE) {
            close = msg.hwnd;
            return true;
        }
    static constexpr UINT kInput[][2] = {
        {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    for (const auto& range : kInput)
        while (::PeekMessageA(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) return true;
            const bool closeKey = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4;
            const bool closeBox = msg.message == WM_NCLBUTTONDOWN && msg.wParam == HTCLOSE;
            if (closeKey || closeBox) {
                close = ::GetAncestor(msg.hwnd, GA_ROOT);
                return true;
            }
        }
    return false;
}

// What is left of `limit` from `start` at `now`.
DWORD Left(DWORD start, DWORD limit, DWORD now) {
    const DWORD elapsed = now - start;
    return elapsed >= limit ? 0 : limit - elapsed;
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

SpiLoadGivenUp::SpiLoadGivenUp() : std::runtime_error(kGivenUp) {}

SpiHostProcess::PictureRequest::PictureRequest(SpiHostProcess& host) : host_(host) {
    host_.requestStart_ = ::GetTickCount();
}

SpiHostProcess::PictureRequest::~PictureRequest() {
    // The busy pointer goes with the load, not at the next move of the mouse.
    if (::GetTickCount() - *host_.requestStart_ >= kBusyCursorMs) ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    host_.requestStart_.reset();
}

DWORD WaitWhileLoading(const HANDLE* handles, DWORD count, DWORD ms, DWORD since) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND close = nullptr;
        if (TakeInputWhileLoading(close)) {
            if (close) ::PostMessageA(close, WM_CLOSE, 0, 0);
            return kWaitGivenUp;
        }
        DispatchPaint();
        const DWORD now = ::GetTickCount();
        const DWORD loading = now - since;
        if (loading >= kBusyCursorMs) ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
        const DWORD left = Left(start, ms, now);
        if (left == 0) return WAIT_TIMEOUT;
        DWORD slice = std::min(left, kLoadingQueueCheckMs);
        if (loading < kBusyCursorMs) slice = std::min(slice, kBusyCursorMs - loading);
        // Posted messages other than a close wait for the load; the queue is looked at for a close in each slice.
        const DWORD wait = ::MsgWaitForMultipleObjectsEx(count, handles, slice, QS_INPUT | QS_PAINT | QS_SENDMESSAGE,
                                                         MWMO_INPUTAVAILABLE);
        if (wait < WAIT_OBJECT_0 + count || wait == WAIT_FAILED) return wait;
    }
}

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
        // With fewer rights where the system makes the token and starts a process with it; as the program
        // otherwise (the job's limits still hold).
        const ui::UniqueKernelHandle token = RestrictedToken();
        if (token)
            started = ::CreateProcessAsUserA(token.get(), program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                             flags, nullptr, nullptr, &startup.StartupInfo, &info) != FALSE;
        if (!started)
            started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                       nullptr, &startup.StartupInfo, &info) != FALSE;
        if (started) {
            process_.reset(info.hProcess);
            processId_ = info.dwProcessId;
            const ui::UniqueKernelHandle thread(info.hThread);
            job_ = HelperJob();
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

void SpiHostProcess::Abandon(Outcome) noexcept {
    // Whatever it did, a helper that is given up is not asked to end: one that lies or hangs would not.
    if (process_) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), kQuitWaitMs);
    }
    Stop();
}

void SpiHostProcess::Fail(Outcome outcome, const std::string& plugin) {
    Abandon(outcome);
    if (outcome == Outcome::GivenUp) throw SpiLoadGivenUp();
    throw SpiHostFailure(
        SpiFailureText(plugin, outcome == Outcome::TimedOut ? SpiPluginState::Hung : SpiPluginState::Crashed));
}

spihost::HelperFields SpiHostProcess::Answer() const noexcept {
    return control_ ? spihost::ReadHelperFields(*control_) : spihost::HelperFields{};
}

SpiHostProcess::Outcome SpiHostProcess::Ask(spihost::Request request, const std::vector<std::string>& plugins,
                                            int plugin, const std::string& fileName, int maxWidth, int maxHeight,
                                            HANDLE section) {
    const ScopedBusy busy(busy_);
    const auto text = spihost::PackRequestText({fileName, CurrentFolder(), plugins});
    if (!text) return Outcome::TooLong;
    // A helper that ended between two requests (the system's doing, or a plug-in thread's) is replaced quietly.
    if (Running() && ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) Stop();
    if (!Running()) Start();
    spihost::ControlBlock& c = *control_;
    const std::uint32_t serial = ++serial_;
    c.request = request;
    c.serial = serial;
    c.plugin = plugin;
    c.textBytes = static_cast<std::uint32_t>(text->size());
    std::memcpy(c.text, text->data(), text->size());
    c.maxWidth = maxWidth;
    c.maxHeight = maxHeight;
    c.pixels = 0;
    HANDLE lent = nullptr;
    if (section && ::DuplicateHandle(::GetCurrentProcess(), section, process_.get(), &lent, FILE_MAP_WRITE, FALSE, 0))
        c.pixels = HandleToULong(lent);
    c.helper.answer = spihost::kNoAnswer;
    c.helper.calling = spihost::kNoPlugin;
    const std::uint32_t calls = Answer().calls;
    ::SetEvent(requestEvent_.get());
    return WaitForAnswer(serial, calls);
}

SpiHostProcess::Outcome SpiHostProcess::WaitForAnswer(std::uint32_t serial, std::uint32_t calls) {
    const HANDLE handles[] = {answerEvent_.get(), process_.get(), giveUp_};
    const DWORD count = giveUp_ ? 3 : 2;
    const DWORD limit = options_.answerTimeoutMs;
    const DWORD start = ::GetTickCount();
    // In a picture request each call into a plug-in has the whole limit, counted again from each call the helper
    // says has begun, but never past the request's own end: the count cannot make a wait longer than that. A
    // description has the limit for the plug-in's loading and all its information together, counted from its
    // first call, so that a helper slow to start is not taken for a plug-in that hangs; the helper's start-up
    // has a limit of its own.
    const bool picture = requestStart_.has_value();
    const DWORD requestStart = requestStart_.value_or(start);
    const DWORD requestLimit = picture ? kSpiRequestCallLimits * limit : 2 * limit;
    bool begun = false;
    DWORD callStart = start;
    for (;;) {
        const DWORD now = ::GetTickCount();
        const std::uint32_t seen = Answer().calls;
        if (seen != calls && (picture || !begun)) {
            calls = seen;
            callStart = now;
            begun = true;
        }
        const DWORD left = std::min(Left(callStart, limit, now), Left(requestStart, requestLimit, now));
        if (left == 0) return Outcome::TimedOut;
        // A picture is waited for on the window's thread, which takes Esc and a close meanwhile; a description
        // on a thread of its own, which the give-up event ends.
        const DWORD slice = std::min(left, kQueueCheckMs);
        const DWORD wait = picture ? WaitWhileLoading(handles, count, slice, requestStart)
                                   : ::WaitForMultipleObjects(count, handles, FALSE, slice);
        if (wait == kWaitGivenUp || (count == 3 && wait == WAIT_OBJECT_0 + 2)) return Outcome::GivenUp;
        if (wait == WAIT_OBJECT_0 && Answer().answerSerial == serial) return Outcome::Answered;
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_FAILED) return Outcome::Died;
    }
}

bool SpiHostProcess::RequestTimeUp() const {
    return requestStart_ &&
           ::GetTickCount() - *requestStart_ >= kSpiRequestCallLimits * options_.answerTimeoutMs;
}

int SpiHostProcess::Calling(const std::vector<std::string>& plugins) const {
    const std::optional<std::size_t> calling = spihost::CallingPlugin(Answer(), plugins.size());
    return calling ? static_cast<int>(*calling) : -1;
}

SpiPluginDescription SpiHostProcess::Describe(const std::string& path) {
    using State = SpiPluginState;
    const std::vector<std::string> list{path};
    const Outcome outcome = Ask(spihost::kDescribe, list, 0, std::string());
    if (outcome == Outcome::TooLong) return {};  // a path no file system has: nothing to describe
    if (outcome == Outcome::GivenUp) {
        Abandon(outcome);
        throw SpiLoadGivenUp();
    }
    if (outcome != Outcome::Answered) {
        Abandon(outcome);
        return {outcome == Outcome::TimedOut ? State::Hung : State::Crashed, {}, {}};
    }
    const spihost::HelperFields answer = Answer();
    std::vector<char> reply(spihost::ReplyBytes(answer));
    spihost::CopyShared(reply.data(), control_->reply, reply.size());
    const auto read = spihost::ReadDescriptions(reply.data(), reply.size(), spihost::DescribedCount(answer, 1));
    if (!read || read->size() != 1) {
        // An answer no helper of ours gives: something in it wrote the block, so the plug-in counts as crashed.
        Abandon(Outcome::Died);
        return {State::Crashed, {}, {}};
    }
    const spihost::PluginDescription& d = read->front();
    return {d.state, d.pattern, d.description};
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
            if (outcome == Outcome::GivenUp) Fail(outcome, {});
            if (outcome == Outcome::Answered) {
                const spihost::HelperFields answer = Answer();
                if (answer.answer != spihost::kFound) break;
                const std::optional<std::size_t> found = spihost::FoundPlugin(answer, from, asked.size());
                // An index no helper of ours gives: which plug-in wrote it cannot be told, so the helper is named.
                if (!found) Fail(Outcome::Died, Program());
                return static_cast<int>(*found);
            }
            // The plug-in that was asked declines by crashing or hanging, and the round goes on after it; once the
            // request's own time is up, the load ends there.
            const int calling = Calling(asked);
            if (outcome == Outcome::TimedOut && RequestTimeUp())
                Fail(outcome, plugins[calling >= static_cast<int>(from) ? static_cast<std::size_t>(calling) : from]);
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
    const std::optional<std::uint32_t> bytes = spihost::SectionBytes(maxWidth, maxHeight, kMaxVisibleBytes);
    if (index < 0 || static_cast<std::size_t>(index) >= plugins.size() || !bytes) return std::nullopt;
    // The visible part comes into a section of the program's own, lent to the helper for this request: once the
    // answer is there the pixels are the program's, whatever becomes of the helper.
    const ui::UniqueKernelHandle section(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, *bytes, nullptr));
    if (!section) return std::nullopt;
    const ui::UniqueMappedView view(::MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, *bytes));
    if (!view) return std::nullopt;
    const std::string& plugin = plugins[static_cast<std::size_t>(index)];
    const Outcome outcome = Ask(spihost::kDecode, plugins, index, fileName, maxWidth, maxHeight, section.get());
    if (outcome == Outcome::TooLong) return std::nullopt;
    if (outcome != Outcome::Answered) {
        // Code of ours runs in the helper between the plug-in's calls too; the plug-in decoding is named then.
        const int calling = Calling(plugins);
        Fail(outcome, calling >= 0 ? plugins[static_cast<std::size_t>(calling)] : plugin);
    }
    const spihost::HelperFields answer = Answer();
    if (answer.answer != spihost::kDecoded) return std::nullopt;
    const std::optional<spihost::PictureSizes> sizes = spihost::DecodedSizes(answer, maxWidth, maxHeight);
    // Sizes no helper of ours gives: the plug-in that decoded wrote them.
    if (!sizes) Fail(Outcome::Died, plugin);
    DecodedPicture picture;
    picture.width = sizes->width;
    picture.height = sizes->height;
    picture.visibleWidth = sizes->visibleWidth;
    picture.visibleHeight = sizes->visibleHeight;
    // No more than the section holds: the visible part is at most what was asked.
    picture.pixels.resize(std::size_t(picture.visibleWidth) * std::size_t(picture.visibleHeight));
    const auto* pixels = static_cast<const volatile std::uint32_t*>(view.get());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = pixels[i] & 0x00FFFFFFu;
    return picture;
}

}  // namespace velmira
