#pragma once
// Picture files built to hurt a decoder: absurd and negative sizes, impossible bit counts, offsets and colour
// tables past the end, RLE runs that overrun the picture, truncations at every byte or marker, corrupt Huffman
// tables, huge declared sizes, and files of 0 bytes. Shared by the decoder tests and the loader's window test.
#include <string>
#include <vector>

namespace velmira::test {

enum class HostileKind { Bmp, Jpeg };

struct HostilePicture {
    std::string name;   // what is wrong with it, usable in a file name
    HostileKind kind;   // which decoder it is meant for (its extension)
    std::string bytes;
};

// Every hostile BMP and JPEG. `thorough` adds the truncation of sound files at every byte (BMP) and the one
// before and after every marker (JPEG), several hundred files; without it each file is cut at a few places.
std::vector<HostilePicture> HostilePictures(bool thorough);

}  // namespace velmira::test
