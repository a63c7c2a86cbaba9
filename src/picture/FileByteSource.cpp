#include "picture/FileByteSource.h"

#include <stdexcept>

namespace velmira {

std::string FileReadErrorMessage(const std::string& path) {
    return path + "を読み込めません";
}

FileByteSource::FileByteSource(const std::string& path)
    : path_(path),
      file_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr)) {
    LARGE_INTEGER size{};
    if (!file_ || !::GetFileSizeEx(file_.get(), &size)) throw std::runtime_error(FileReadErrorMessage(path));
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (offset >= size_) return 0;
    if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        // The offset travels with each read, so no shared file position has to be kept in step.
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const std::size_t left = count - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!::ReadFile(file_.get(), out + done, chunk, &read, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;  // the file shrank since it was opened
            throw std::runtime_error(FileReadErrorMessage(path_));
        }
        if (read == 0) break;
        done += read;
    }
    return done;
}

}  // namespace velmira
