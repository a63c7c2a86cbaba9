#pragma once
// The objects the program holds right now, counted by its own owners (handle wrappers and window objects) and,
// where the platform tells, by the process itself. The platform under test does not count GDI or user objects,
// so leak checks compare these counts over a long run.
#include <windows.h>

#include <string>

namespace testsupport {

struct LiveCounts {
    int bitmaps = 0, fonts = 0, brushes = 0, regions = 0, memoryDCs = 0;
    int modules = 0, globals = 0, finds = 0, files = 0, kernelHandles = 0;
    int windowObjects = 0, windows = 0;

    bool operator==(const LiveCounts& o) const;
    bool operator!=(const LiveCounts& o) const { return !(*this == o); }
    std::string Text() const;
};

LiveCounts CountLive();

// The process's committed private memory in bytes (0 where the platform does not tell).
SIZE_T PrivateBytes();

}  // namespace testsupport
