#pragma once
// The image plug-in interface: what a ".SPI" DLL exports and the records it fills.
// Every export is stdcall with exactly these argument lists; the host casts GetProcAddress results in one place.
#include <windows.h>

namespace spi {

#pragma pack(push, 1)
// The picture record as the host declares it: the text-information handle after a two-byte gap.
struct PictureInfo {
    LONG left;
    LONG top;
    LONG width;
    LONG height;
    WORD x_density;
    WORD y_density;
    SHORT colorDepth;
    WORD gap;
    HLOCAL hInfo;
};
// The same record as most plug-ins really write it: packed, the handle at byte 22.
struct PackedPictureInfo {
    LONG left;
    LONG top;
    LONG width;
    LONG height;
    WORD x_density;
    WORD y_density;
    SHORT colorDepth;
    HLOCAL hInfo;
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == 28, "PictureInfo is 28 bytes");
static_assert(sizeof(PackedPictureInfo) == 26, "the packed record is 26 bytes");

using ProgressCallback = int(__stdcall*)(int nNum, int nDenom, LONG lData);

using GetPluginInfoFn = int(__stdcall*)(int infono, LPSTR buf, int buflen);
using IsSupportedFn = int(__stdcall*)(LPCSTR filename, DWORD dw);
using GetPictureInfoFn = int(__stdcall*)(LPCSTR buf, LONG len, UINT flag, PictureInfo* lpInfo);
using GetPictureFn = int(__stdcall*)(LPCSTR buf, LONG len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm,
                                     ProgressCallback lpPrgressCallback, LONG lData);
using GetPreviewFn = int(__stdcall*)(LPCSTR buf, LONG len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm,
                                     ProgressCallback lpPrgressCallback, LONG lData);
using GetArchiveInfoFn = int(__stdcall*)(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf);
using GetFileFn = int(__stdcall*)(LPCSTR src, LONG len, LPSTR dest, UINT flag, ProgressCallback prgressCallback,
                                  LONG lData);

// An export of our own that velmira_wic.spi adds to the interface: the picture's size and only its top-left
// part, min(width, maxWidth) x min(height, maxHeight) pixels, written into `pixels` (room for maxWidth x
// maxHeight) top row first, visibleWidth to a row, each 0x00RRGGBB. The host asks for it before the standard
// exports, which keep returning the whole picture for other programs.
struct PictureRegion {
    LONG width;
    LONG height;
    LONG visibleWidth;
    LONG visibleHeight;
};
using VelmiraGetPictureRegionFn = int(__stdcall*)(LPCSTR buf, LONG len, UINT flag, LONG maxWidth, LONG maxHeight,
                                           PictureRegion* region, DWORD* pixels);

// Result codes of the interface.
enum : int {
    kSuccess = 0,
    kNotImplemented = -1,
    kAborted = 1,
    kUnknownFormat = 2,
    kBrokenData = 3,
    kOutOfMemory = 4,
    kMemoryError = 5,
    kReadError = 6,
    kInternalError = 8,
};

}  // namespace spi
