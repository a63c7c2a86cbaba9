#include "support/LiveCounts.h"

#include <psapi.h>

#include <sstream>

#include "ui/UniqueHandle.h"
#include "ui/Window.h"

namespace testsupport {

bool LiveCounts::operator==(const LiveCounts& o) const {
    return bitmaps == o.bitmaps && fonts == o.fonts && brushes == o.brushes && regions == o.regions &&
           memoryDCs == o.memoryDCs && modules == o.modules && globals == o.globals && finds == o.finds &&
           files == o.files && kernelHandles == o.kernelHandles && windowObjects == o.windowObjects &&
           windows == o.windows;
}

std::string LiveCounts::Text() const {
    std::ostringstream out;
    out << "bitmaps " << bitmaps << ", fonts " << fonts << ", brushes " << brushes << ", regions " << regions
        << ", memory DCs " << memoryDCs << ", modules " << modules << ", global blocks " << globals << ", searches "
        << finds << ", files " << files << ", kernel handles " << kernelHandles << ", window objects "
        << windowObjects << ", windows " << windows;
    return out.str();
}

LiveCounts CountLive() {
    LiveCounts c;
    c.bitmaps = ui::UniqueBitmap::Live();
    c.fonts = ui::UniqueFont::Live();
    c.brushes = ui::UniqueBrush::Live();
    c.regions = ui::UniqueRegion::Live();
    c.memoryDCs = ui::UniqueMemoryDC::Live();
    c.modules = ui::UniqueModule::Live();
    c.globals = ui::UniqueGlobal::Live();
    c.finds = ui::UniqueFind::Live();
    c.files = ui::UniqueFile::Live();
    c.kernelHandles = ui::UniqueKernelHandle::Live();
    c.windowObjects = ui::Window::LiveObjects();
    c.windows = ui::Window::LiveWindows();
    return c;
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PagefileUsage;
}

}  // namespace testsupport
