// The nearest passing colour: how long one search takes, natively and on one thread, over many pairs.
//
//   velmira_nearest_bench [--random N] [--climbs N] [--verify N]
//
// The pairs: a grid of every 51st value per channel for both colours (46,656 ordered pairs, so either
// colour of a pair is the one that changes), N random pairs in both orders (default 20,000), and the
// hardest pairs found by climbing from N random starts towards more work (default 24). Each pair is
// searched for 4.5:1 and 7:1. The table gives the median (of all searches, and of those whose colour had
// to move), the 99th percentile and the largest of the thread's CPU time per search, the most boxes any
// search opened, and the worst case: the searches with the most work and
// the slowest ones, timed again (the least of seven runs, CPU time and wall clock), so that the figure is
// the search's own and not the other processes' on a shared machine.
//
// --verify N compares the answers for N random pairs and the hardest pairs with a search of all
// 16,777,216 colours (about a second each).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "color/Contrast.h"
#include "color/NearestPassing.h"
#include "color/Oklab.h"

namespace {

using velmira::PassingColour;
using velmira::Rgb;

constexpr double kLevels[] = {velmira::kAaNormal, velmira::kAaaNormal};

struct Search {
    Rgb original;
    Rgb fixed;
    double level;
    double cpuMs = 0;
    std::size_t boxes = 0;
    bool moved = false;  // the colour had to change
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string HexOf(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

Rgb RandomColour(std::mt19937& random) {
    const std::uint32_t v = random();
    return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

void Measure(Search& s) {
    const double start = ThreadCpuMs();
    const PassingColour found = velmira::NearestPassingColour(s.original, s.fixed, s.level);
    s.cpuMs = ThreadCpuMs() - start;
    s.boxes = found.boxesOpened;
    s.moved = found.possible && found.colour != s.original;
}

struct Retimed {
    double cpuMs = 1e300;   // the least thread CPU time of the runs
    double wallMs = 1e300;  // the least wall-clock time
};

// Seven runs: the least times are the search's own, not the other processes' on a shared machine.
Retimed Retime(const Search& s) {
    Retimed best;
    for (int i = 0; i < 7; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMs();
        velmira::NearestPassingColour(s.original, s.fixed, s.level);
        best.cpuMs = std::min(best.cpuMs, ThreadCpuMs() - cpuStart);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        best.wallMs = std::min(best.wallMs, std::chrono::duration<double, std::milli>(elapsed).count());
    }
    return best;
}

// Walks from a random pair to neighbouring pairs that make the search open more boxes.
Search Climb(std::mt19937& random) {
    Search s{RandomColour(random), RandomColour(random), kLevels[random() % 2]};
    Measure(s);
    int step = 48;
    for (int i = 0; i < 300; ++i) {
        Search next = s;
        std::uint8_t* channels[] = {&next.original.red, &next.original.green, &next.original.blue,
                                    &next.fixed.red,    &next.fixed.green,    &next.fixed.blue};
        std::uint8_t& channel = *channels[random() % 6];
        const int moved = channel + static_cast<int>(random() % (2 * step + 1)) - step;
        channel = static_cast<std::uint8_t>(std::clamp(moved, 0, 255));
        Measure(next);
        if (next.boxes >= s.boxes) s = next;
        if (i % 60 == 59 && step > 1) step /= 2;
    }
    return s;
}

// Every colour, the same rule: passes, keeps the hue, nearest, then the smallest 0xRRGGBB.
Rgb BruteForce(Rgb original, Rgb fixed, double level) {
    const velmira::Oklab target = velmira::OklabOf(original);
    double best = 1e300;
    Rgb answer = original;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const Rgb c{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
                if (velmira::ContrastRatio(c, fixed) < level || !velmira::KeepsHue(original, c)) continue;
                const double d = velmira::OklabDistance(velmira::OklabOf(c), target);
                if (d < best) {  // in key order, so the first of equal distances stays
                    best = d;
                    answer = c;
                }
            }
    return answer;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// A pair that already passes costs one ratio; the median of the others is the figure of a real search.
void Row(const char* label, const std::vector<Search>& searches) {
    std::vector<double> ms, moved;
    std::size_t boxes = 0;
    for (const Search& s : searches) {
        ms.push_back(s.cpuMs);
        if (s.moved) moved.push_back(s.cpuMs);
        boxes = std::max(boxes, s.boxes);
    }
    std::printf("| %s | %zu | %.3f | %.3f | %.3f | %.3f | %zu |\n", label, searches.size(), Percentile(ms, 0.5),
                moved.empty() ? 0.0 : Percentile(moved, 0.5), Percentile(ms, 0.99),
                *std::max_element(ms.begin(), ms.end()), boxes);
}

}  // namespace

int main(int argc, char** argv) {
    int randomPairs = 20000, climbs = 24, verify = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--random")) randomPairs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--climbs")) climbs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--verify")) verify = std::atoi(argv[i + 1]);
    }
    std::mt19937 random(20);

    std::vector<Search> grid;
    for (int a = 0; a < 216; ++a)
        for (int b = 0; b < 216; ++b)
            for (const double level : kLevels) {
                const auto v = [](int i, int shift) { return static_cast<std::uint8_t>((i / shift) % 6 * 51); };
                grid.push_back(Search{Rgb{v(a, 36), v(a, 6), v(a, 1)}, Rgb{v(b, 36), v(b, 6), v(b, 1)}, level});
            }
    std::vector<Search> sample;
    for (int i = 0; i < randomPairs; ++i) {
        const Rgb a = RandomColour(random), b = RandomColour(random);
        for (const double level : kLevels) {
            sample.push_back(Search{a, b, level});
            sample.push_back(Search{b, a, level});
        }
    }
    for (Search& s : grid) Measure(s);
    for (Search& s : sample) Measure(s);
    std::vector<Search> hardest;
    for (int i = 0; i < climbs; ++i) hardest.push_back(Climb(random));

    std::printf("| Pairs | Searches | Median ms | Median ms, colour moved | p99 ms | Max ms | Most boxes |\n"
                "|---|---:|---:|---:|---:|---:|---:|\n");
    Row("grid, every 51st value", grid);
    Row("random, both orders", sample);
    Row("hardest found by climbing", hardest);

    // The worst case: the searches with the most work and the slowest ones, timed again.
    std::vector<Search> all = grid;
    all.insert(all.end(), sample.begin(), sample.end());
    all.insert(all.end(), hardest.begin(), hardest.end());
    std::vector<Search> suspects;
    std::sort(all.begin(), all.end(), [](const Search& x, const Search& y) { return x.boxes > y.boxes; });
    suspects.insert(suspects.end(), all.begin(), all.begin() + std::min<std::size_t>(20, all.size()));
    std::sort(all.begin(), all.end(), [](const Search& x, const Search& y) { return x.cpuMs > y.cpuMs; });
    suspects.insert(suspects.end(), all.begin(), all.begin() + std::min<std::size_t>(20, all.size()));
    const Search* worst = nullptr;
    Retimed worstTimes;
    for (const Search& s : suspects) {
        const Retimed times = Retime(s);
        if (times.cpuMs > worstTimes.cpuMs || !worst) {
            worstTimes = times;
            worst = &s;
        }
    }
    if (worst)
        std::printf("\nWorst case: %.3f ms CPU, %.3f ms wall clock (the least of 7 runs each), #%s against #%s for "
                    "%.1f:1, %zu boxes\n",
                    worstTimes.cpuMs, worstTimes.wallMs, HexOf(worst->original).c_str(), HexOf(worst->fixed).c_str(),
                    worst->level, worst->boxes);

    if (verify > 0) {
        std::vector<Search> checked;
        for (int i = 0; i < verify; ++i)
            checked.push_back(Search{RandomColour(random), RandomColour(random), kLevels[i % 2]});
        checked.insert(checked.end(), hardest.begin(), hardest.end());
        int wrong = 0;
        for (const Search& s : checked) {
            const Rgb found = velmira::NearestPassingColour(s.original, s.fixed, s.level).colour;
            const Rgb expected = BruteForce(s.original, s.fixed, s.level);
            if (found != expected) {
                ++wrong;
                std::printf("DIFFERENT: #%s against #%s for %.1f:1: search #%s, all colours #%s\n",
                            HexOf(s.original).c_str(), HexOf(s.fixed).c_str(), s.level, HexOf(found).c_str(),
                            HexOf(expected).c_str());
            }
        }
        std::printf("Checked against all 16,777,216 colours: %zu pairs, %d different\n", checked.size(), wrong);
        return wrong == 0 ? 0 : 1;
    }
    return 0;
}
