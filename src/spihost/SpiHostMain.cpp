// velmira_spihost.exe: the program's plug-in helper process. It is started by the program with the handles of
// the shared block, the request and answer events and the program's own process on its command line, answers
// requests until it is asked to end or the program has gone, and never shows anything of its own.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "spi/SpiHostProtocol.h"
#include "spihost/SpiHostServer.h"
#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"

namespace {

// A plug-in that faults ends the helper there and then: no crash dialog that would keep it alive for the
// program to wait on. The program sees the process end and names the plug-in.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* exception) {
    ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Waits for the next request, dispatching what windows the plug-ins made meanwhile get (other programs wait on
// windows that do not answer their broadcasts); false once the program has gone.
bool WaitForRequest(HANDLE request, HANDLE program) {
    const HANDLE handles[] = {request, program};
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait != WAIT_OBJECT_0 + 2) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    ui::RestrictDllSearch();
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(EndAtOnce);
    // Likewise an exception that a plug-in lets out of a call: no runtime's message box either.
    std::set_terminate([] { ::TerminateProcess(::GetCurrentProcess(), 3); });

    unsigned long mapping = 0, request = 0, answer = 0, program = 0;
    if (std::sscanf(commandLine, "%lu %lu %lu %lu", &mapping, &request, &answer, &program) != 4) return 2;
    const ui::UniqueKernelHandle mappingHandle(ULongToHandle(mapping));
    const ui::UniqueKernelHandle requestEvent(ULongToHandle(request));
    const ui::UniqueKernelHandle answerEvent(ULongToHandle(answer));
    const ui::UniqueKernelHandle programProcess(ULongToHandle(program));
    const ui::UniqueMappedView view(::MapViewOfFile(mappingHandle.get(), FILE_MAP_ALL_ACCESS, 0, 0,
                                                    sizeof(velmira::spihost::ControlBlock)));
    if (!view) return 2;

    velmira::SpiHostServer server(*static_cast<velmira::spihost::ControlBlock*>(view.get()));
    while (WaitForRequest(requestEvent.get(), programProcess.get())) {
        const bool more = server.Serve();
        ::SetEvent(answerEvent.get());
        if (!more) break;
    }
    return 0;
}
