#include "picker/SampleSquare.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace velmira {
namespace {

int SizeIndex(int side) noexcept {
    const auto* found = std::find(std::begin(kSampleSizes), std::end(kSampleSizes), side);
    return found == std::end(kSampleSizes) ? 0 : static_cast<int>(found - std::begin(kSampleSizes));
}

}  // namespace

int SampleSizeOf(int value) noexcept {
    return kSampleSizes[SizeIndex(value)];
}

int SampleSizeAfter(int side, int steps) noexcept {
    const long long last = static_cast<long long>(std::size(kSampleSizes)) - 1;
    return kSampleSizes[std::clamp<long long>(static_cast<long long>(SizeIndex(side)) + steps, 0, last)];
}

std::vector<std::uint32_t> SquareOfCapture(const LoupeCells& cells, const std::uint32_t* capture, int side) {
    std::vector<std::uint32_t> square;
    const int first = cells.pixels / 2 - side / 2;
    const int from = std::max(first, 0), to = std::min(first + side, cells.pixels);
    for (int row = from; row < to; ++row) {
        for (int column = from; column < to; ++column) {
            switch (cells.At(column, row)) {
            case LoupeCell::Screen:
                square.push_back(capture[static_cast<std::size_t>(row) * cells.pixels + column] & 0xFFFFFF);
                break;
            case LoupeCell::Outside:
                square.push_back(0xFFFFFF);
                break;
            case LoupeCell::Hidden:
                break;
            }
        }
    }
    return square;
}

LoupeCells MiddleCells(const LoupeCells& cells, int pixels) {
    LoupeCells middle;
    middle.pixels = pixels;
    const int first = (cells.pixels - pixels) / 2;
    for (int row = first; row < first + pixels; ++row)
        for (int column = first; column < first + pixels; ++column) middle.states.push_back(cells.At(column, row));
    return middle;
}

std::vector<std::uint32_t> MiddlePixels(const std::uint32_t* capture, int side, int pixels) {
    std::vector<std::uint32_t> middle;
    middle.reserve(static_cast<std::size_t>(pixels) * pixels);
    const int first = (side - pixels) / 2;
    for (int row = first; row < first + pixels; ++row) {
        const std::uint32_t* from = capture + static_cast<std::size_t>(row) * side + first;
        middle.insert(middle.end(), from, from + pixels);
    }
    return middle;
}

}  // namespace velmira
