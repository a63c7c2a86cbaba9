// Plug-in decode benchmark: what a picture costs through the plug-in helper process against the same calls made
// in the program's own process, for the first picture (the helper started, the plug-in loaded) and for a later
// one (both already there). Each decode ends as the program's does: the pixels of the part the preview shows.
//
//   velmira_spihost_bench.exe HELPER PLUGIN DIR [RUNS]
//
// HELPER is velmira_spihost.exe, PLUGIN a plug-in that reads binary PPM (tests/plugins/ppm.spi), DIR a folder for
// the pictures it writes. RUNS (default 15) first decodes and as many later ones per picture; medians are printed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image/SpiHostProcess.h"
#include "image/SpiLoadClass.h"
#include "spihost/SpiPluginCalls.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
    const char* label;
    int width;
    int height;
};

const Picture kPictures[] = {{"PPM 163 x 188 (the preview)", 163, 188}, {"PPM 640 x 480", 640, 480},
                             {"PPM 4000 x 3000", 4000, 3000}};

std::string WritePpm(const std::string& folder, const Picture& p) {
    const std::string path = folder + "\\bench-" + std::to_string(p.width) + "x" + std::to_string(p.height) + ".ppm";
    std::string bytes = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
    bytes.reserve(bytes.size() + static_cast<std::size_t>(p.width) * p.height * 3);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            bytes.push_back(static_cast<char>(x * 7));
            bytes.push_back(static_cast<char>(y * 5));
            bytes.push_back(static_cast<char>((x ^ y) * 3));
        }
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Time(const std::function<bool()>& step) {
    const auto start = Clock::now();
    if (!step()) {
        std::fprintf(stderr, "a decode failed\n");
        std::exit(1);
    }
    return Ms(Clock::now() - start);
}

// What the helper does, in this process: the plug-in asked about the file, then its visible part decoded.
bool DecodeHere(const velmira::SpiPluginModule& plugin, const std::string& path) {
    velmira::SpiFileHead head;
    if (!velmira::ReadSpiFileHead(path, head) || !velmira::AcceptsSpiFile(plugin, path, head)) return false;
    std::vector<std::uint32_t> pixels(std::size_t{velmira::kPreviewWidth} * velmira::kPreviewHeight);
    velmira::SpiRegion region;
    return velmira::DecodeSpiRegion(plugin, path, velmira::kPreviewWidth, velmira::kPreviewHeight, pixels.data(),
                                    region);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HELPER PLUGIN DIR [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string pluginPath = argv[2];
    const std::string folder = argv[3];
    // The test plug-in alone: the bundled one is named where none lies.
    const velmira::SpiHostOptions helper{argv[1], velmira::kSpiHostAnswerTimeoutMs, folder + "\\no-bundled.spi"};
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;
    // The plug-in alone in a folder of its own, as the program loads it.
    const std::string plugins = folder + "\\plugins";
    ::CreateDirectoryA(plugins.c_str(), nullptr);
    ::CopyFileA(pluginPath.c_str(), (plugins + "\\ppm.spi").c_str(), FALSE);
    // Listed once by the helper, and from then on from the cache, as at every start after the first.
    const std::string cache = folder + "\\spihost-bench.cache";
    {
        velmira::SpiLoadClass lister(helper);
        lister.SetCacheFile(cache);
        lister.LoadPlugins(plugins);
    }

    std::printf("| Picture | In-process first ms | In-process later ms | Helper first ms | Helper later ms |"
                " Helper - in-process, later ms |\n|---|---:|---:|---:|---:|---:|\n");
    for (const Picture& p : kPictures) {
        const std::string path = WritePpm(folder, p);
        std::vector<double> hereFirst, hereLater, helperFirst, helperLater;
        for (int i = 0; i < runs; ++i) {
            // First: the DLL loaded for this decode; later: the same DLL again.
            std::unique_ptr<velmira::SpiPluginModule> plugin;
            hereFirst.push_back(Time([&] {
                plugin = velmira::LoadSpiPlugin(plugins + "\\ppm.spi");
                return plugin && DecodeHere(*plugin, path);
            }));
            hereLater.push_back(Time([&] { return DecodeHere(*plugin, path); }));
        }
        for (int i = 0; i < runs; ++i) {
            // First: a new host whose helper starts with this picture; later: the same helper again.
            velmira::SpiLoadClass host(helper);
            host.SetCacheFile(cache);
            host.LoadPlugins(plugins);
            const auto load = [&] { return host.LoadPicture(path, velmira::kPreviewWidth, velmira::kPreviewHeight); };
            helperFirst.push_back(Time(load));
            helperLater.push_back(Time(load));
        }
        std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %+.1f |\n", p.label, Median(hereFirst), Median(hereLater),
                    Median(helperFirst), Median(helperLater), Median(helperLater) - Median(hereLater));
        ::DeleteFileA(path.c_str());
    }
    ::DeleteFileA((plugins + "\\ppm.spi").c_str());
    ::DeleteFileA(cache.c_str());
    ::RemoveDirectoryA(plugins.c_str());
    return 0;
}
