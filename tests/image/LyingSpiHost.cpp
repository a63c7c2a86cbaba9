// A stand-in for velmira_spihost.exe that plays the helper's side of the protocol the way a plug-in that has taken
// the helper over could: it answers with what no helper of ours writes, the lie named by VELMIRA_LIE in its
// environment. Loads no plug-in; every file is "described" as usable and "found" by the first plug-in, so that
// the lie reaches the request it is about.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "spi/SpiHostProtocol.h"

namespace {

using namespace velmira::spihost;

std::string Lie() {
    const char* lie = std::getenv("VELMIRA_LIE");
    return lie ? lie : "";
}

// Flips the picture's sizes between the ones asked for and far larger ones for as long as the helper lives.
DWORD WINAPI FlipSizes(void* block) {
    auto* helper = &static_cast<volatile ControlBlock*>(block)->helper;
    for (std::uint32_t i = 0;; ++i) {
        const std::int32_t side = (i & 1) ? (1 << 20) : 1;
        helper->width = side;
        helper->height = side;
        helper->visibleWidth = side;
        helper->visibleHeight = side;
    }
}

void Describe(ControlBlock& c, const std::string& lie) {
    std::size_t used = 0;
    AppendDescription({velmira::SpiPluginState::Usable, "*.liar", "Liar"}, c.reply, sizeof c.reply, used);
    c.helper.described = 1;
    c.helper.replyBytes = static_cast<std::uint32_t>(used);
    if (lie == "unterminated") {
        std::memset(c.reply, 'U', sizeof c.reply);
        c.helper.replyBytes = sizeof c.reply;
    }
    if (lie == "described") c.helper.described = 0xFFFFFFFFu;
    c.helper.answer = kDescribed;
}

void Decode(ControlBlock& c, const std::string& lie) {
    c.helper.answer = kDecoded;
    c.helper.width = c.helper.visibleWidth = c.maxWidth;
    c.helper.height = c.helper.visibleHeight = c.maxHeight;
    if (lie == "bigger") c.helper.width = c.helper.visibleWidth = c.maxWidth * 4;
    if (lie == "flip") ::CreateThread(nullptr, 0, FlipSizes, &c, 0, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    unsigned long mapping = 0, request = 0, answer = 0, program = 0;
    if (std::sscanf(commandLine, "%lu %lu %lu %lu", &mapping, &request, &answer, &program) != 4) return 2;
    auto* view = ::MapViewOfFile(ULongToHandle(mapping), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ControlBlock));
    if (!view) return 2;
    ControlBlock& c = *static_cast<ControlBlock*>(view);
    const std::string lie = Lie();
    for (;;) {
        if (::WaitForSingleObject(ULongToHandle(request), INFINITE) != WAIT_OBJECT_0) return 0;
        if (c.request == kQuit) return 0;
        // The plug-ins are described truthfully, so that the lies reach the picture's requests.
        const bool picture = c.request != kDescribe;
        if (picture && lie == "counter") {
            // Never answers, and says a new call has begun every few milliseconds.
            for (;;) {
                ++c.helper.calls;
                ::Sleep(5);
            }
        }
        if (c.request == kDescribe) Describe(c, lie);
        if (c.request == kFind || c.request == kFindByHandle) {
            c.helper.answer = kFound;
            c.helper.found = lie == "index" ? 99 : 0;
        }
        if (c.request == kDecode) Decode(c, lie);
        c.helper.answerSerial = picture && lie == "serial" ? c.serial + 1 : c.serial;
        ::SetEvent(ULongToHandle(answer));
    }
}
