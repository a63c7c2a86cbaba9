#pragma once
// A ByteSource over a file on disk: the decoders read only the parts they need, at their own offsets.
#include <windows.h>

#include <string>

#include "picture/ByteSource.h"
#include "ui/UniqueHandle.h"

namespace velmira {

class FileByteSource final : public ByteSource {
public:
    // Opens the file for reading; others may read, write or delete it meanwhile, as with any viewer.
    // Throws std::runtime_error naming the path when it cannot be opened.
    explicit FileByteSource(const std::string& path);

    std::uint64_t Size() override { return size_; }
    // Throws std::runtime_error when the file cannot be read (a vanished network share, a bad sector).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    std::string path_;
    ui::UniqueFile file_;
    std::uint64_t size_ = 0;
};

// The text of the error for a file that passed the existence test but cannot be opened or read.
std::string FileReadErrorMessage(const std::string& path);

}  // namespace velmira
