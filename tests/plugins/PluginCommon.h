#pragma once
// Shared by the test plug-ins: export spelling, information texts and the picture blocks they hand back.
#include <windows.h>

#include "SpiInterface.h"

// Undecorated stdcall exports: the DLLs link with --kill-at, as plug-ins built with this toolchain do.
#define SPI_EXPORT extern "C" __declspec(dllexport)

namespace plugin {

// Copies an information text the way plug-ins do: cut to the buffer, zero-terminated, length returned.
inline int CopyInfo(LPSTR buf, int buflen, const char* text) {
    if (buflen <= 0) return 0;
    lstrcpynA(buf, text, buflen);
    return lstrlenA(buf);
}

// A BITMAPINFO with `colours` palette entries in a block of the given kind, or null.
inline HLOCAL MakeBitmapInfo(UINT flags, LONG width, LONG height, WORD bits, DWORD colours) {
    HLOCAL block = LocalAlloc(flags | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
    if (!block) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(block));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = bits;
    header->biCompression = BI_RGB;
    header->biClrUsed = colours;
    LocalUnlock(block);
    return block;
}

inline DWORD Stride(LONG width, WORD bits) { return ((static_cast<DWORD>(width) * bits + 31) / 32) * 4; }

// Reads up to `size` bytes from the start of the named file; the count read, or -1.
inline int ReadHead(LPCSTR name, void* data, DWORD size) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD read = 0;
    const BOOL ok = ReadFile(file, data, size, &read, nullptr);
    CloseHandle(file);
    return ok ? static_cast<int>(read) : -1;
}

// Reads from a handle given to IsSupported, moving its file pointer as real plug-ins do.
inline bool ReadFromHandle(DWORD dw, void* data, DWORD size) {
    DWORD read = 0;
    return ReadFile(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(dw)), data, size, &read, nullptr) &&
           read == size;
}

// Reads the first bytes of the file IsSupported is asked about, from whichever form it was handed: the address
// of the file's first 2 KB (high word not zero) or a handle of the open file. Plug-ins that read both are the
// rule; the host asks with the buffer.
inline bool ReadSupportedHead(DWORD dw, void* data, DWORD size) {
    if (HIWORD(dw) == 0) return ReadFromHandle(dw, data, size);
    CopyMemory(data, reinterpret_cast<const void*>(static_cast<ULONG_PTR>(dw)), size);
    return true;
}

// Whether a moveable block is still allocated (1), freed (0) or was never made (-1).
inline int HandleState(HLOCAL block) {
    if (!block) return -1;
    return LocalFlags(block) != LMEM_INVALID_HANDLE ? 1 : 0;
}

}  // namespace plugin
