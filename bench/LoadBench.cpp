// Picture load benchmark: what the preview's decode costs for photos of 0.3 to 48 megapixels, against a full
// decode of the same file by our own decoder (no visible-region limit) and by libjpeg-turbo's djpeg. The formats
// of the bundled plug-in (PNG, GIF, TIFF, WebP) are loaded natively by its decoders, under Wine as the program
// loads them: through the plug-in helper and the plug-in's export for the visible part.
//
//   velmira_load_bench generate DIR            writes the pictures (native build; the formats' own writers)
//   velmira_load_bench samples DIR             writes the small pictures of tests/data/pictures (native build)
//   velmira_load_bench run DIR [--wine TSV]    native: times, bytes read, peak memory; prints the table,
//                                              with the Wine build's times beside ours when TSV is given
//   velmira_load_bench.exe run DIR --tsv FILE  Windows build under Wine: times only, as TSV for the above
//   velmira_load_bench pixel FILE X Y          prints the pixel at (X, Y) as RRGGBB (for the start-up probe)
//   velmira_load_bench measure MODE KIND FILE N  (internal) one child process per measurement, for its peak memory
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "picture/BmpDecoder.h"
#include "picture/ByteSource.h"
#include "picture/DecodedPicture.h"
#include "image/JpegDecoder.h"
#include "LoadBench.h"
#include "support/CountingSource.h"

#ifdef _WIN32
#include <windows.h>

#include "picture/FileByteSource.h"
#include "image/SpiHostProcess.h"
#include "image/SpiLoadClass.h"
#include "spihost/SpiPluginCalls.h"
#else
#include "LoadPictures.h"
#include "wicplugin/LibraryPicture.h"
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace loadbench;
using Clock = std::chrono::steady_clock;

#ifndef _WIN32
using FileSource = loadbench::PosixFileSource;
#else
using FileSource = velmira::FileByteSource;
#endif

// Visible: the preview's load. RowByRow: the same without the restart-marker cut. Full: no size limit.
enum class Mode { Visible, RowByRow, Full };

#ifdef _WIN32
// Under Wine the plug-in's formats load as the program loads them: through the helper and the bundled plug-in's
// export for the visible part; their full decode is the plug-in's standard export, called in this process.
velmira::SpiLoadClass* g_host = nullptr;
const velmira::SpiPluginModule* g_plugin = nullptr;

std::uint64_t LoadThroughPlugin(const std::string& path, Mode mode) {
    if (mode != Mode::Full) {
        if (!g_host->LoadPicture(path, velmira::kPreviewWidth, velmira::kPreviewHeight))
            throw std::runtime_error("the plug-in did not load " + path);
        return 0;
    }
    HANDLE info = nullptr, pixels = nullptr;
    const int result = g_plugin->GetPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    if (result == 4) return 0;  // larger than the standard export takes (2^26 pixels): no full decode to time
    if (result != 0) throw std::runtime_error("the plug-in did not decode " + path);
    ::LocalFree(pixels);
    ::LocalFree(info);
    return 0;
}
#else
// Natively the plug-in's formats load through its decoders, as the plug-in runs them.
std::uint64_t LoadThroughPlugin(const std::string& path, Mode mode) {
    FileSource file(path);
    velmira::test::CountingSource counted(file);
    const std::unique_ptr<velmira::wic::LibraryPicture> picture = velmira::wic::OpenLibraryPicture(counted);
    if (!picture) throw std::runtime_error("no decoder for " + path);
    const std::uint32_t columns = mode == Mode::Full ? picture->Width() : std::min<std::uint32_t>(picture->Width(), velmira::kPreviewWidth);
    const std::uint32_t rows = mode == Mode::Full ? picture->Height() : std::min<std::uint32_t>(picture->Height(), velmira::kPreviewHeight);
    std::uint32_t seen = 0;
    picture->ReadTopLeft(columns, rows, [&seen](std::uint32_t, const std::uint32_t* row) { seen ^= row[0]; });
    return counted.bytes + (seen & 0);
}
#endif

// One load as the program does it: open the file, decode, drop the file. Returns the bytes read.
std::uint64_t LoadOnce(const std::string& path, const Case& c, Mode mode) {
    if (c.plugin()) return LoadThroughPlugin(path, mode);
    FileSource file(path);
    velmira::test::CountingSource counted(file);
    const int maxWidth = mode == Mode::Full ? 1 << 30 : velmira::kPreviewWidth;
    const int maxHeight = mode == Mode::Full ? 1 << 30 : velmira::kPreviewHeight;
    const velmira::DecodedPicture picture =
        !c.jpeg()                ? velmira::DecodeBmp(counted, maxWidth, maxHeight)
        : mode == Mode::RowByRow ? velmira::DecodeJpegRowByRow(counted, maxWidth, maxHeight)
                                 : velmira::DecodeJpeg(counted, maxWidth, maxHeight);
    if (picture.pixels.empty()) throw std::runtime_error("nothing decoded from " + path);
    return counted.bytes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int RepeatsFor(const Case& c, Mode mode) {
    if (mode != Mode::Full && !c.progressive && c.kind != Kind::PngInterlaced && c.kind != Kind::GifInterlaced)
        return 21;
    return c.width * c.height >= 10'000'000 ? 3 : 7;
}

struct Timing {
    double medianMs = 0;
    std::uint64_t bytesRead = 0;
};

// A warm-up load first: the file is then in the page cache for every timed one, as after a first start.
Timing TimeLoads(const std::string& path, const Case& c, Mode mode, int repeats) {
    Timing result;
    result.bytesRead = LoadOnce(path, c, mode);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        LoadOnce(path, c, mode);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    result.medianMs = Median(ms);
    return result;
}

#ifdef _WIN32

int RunWindows(const std::string& dir, const std::string& tsvPath, const std::string& helper,
               const std::string& plugin) {
    velmira::SpiLoadClass host(velmira::SpiHostOptions{helper, velmira::kSpiHostAnswerTimeoutMs, plugin});
    host.SetCacheFile({});
    host.LoadPlugins(Join(dir, "no-plugins"));  // the bundled plug-in alone
    g_host = &host;
    const std::unique_ptr<velmira::SpiPluginModule> module = velmira::LoadSpiPlugin(plugin);
    if (!module) throw std::runtime_error("cannot load " + plugin);
    g_plugin = module.get();
    std::ofstream tsv(tsvPath);
    std::printf("%-12s %14s %14s %8s %12s\n", "Picture", "visible ms", "full ms", "full/vis", "read KB");
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        const Timing visible = TimeLoads(path, c, Mode::Visible, RepeatsFor(c, Mode::Visible));
        const Timing full = TimeLoads(path, c, Mode::Full, RepeatsFor(c, Mode::Full));
        // Bytes that went through FileByteSource for one preview load: what the program reads from disk.
        std::printf("%-12s %14.2f %14.2f %7.1fx %12.0f\n", c.label, visible.medianMs, full.medianMs,
                    full.medianMs / visible.medianMs, visible.bytesRead / 1024.0);
        tsv << FileName(c) << '\t' << visible.medianMs << '\t' << full.medianMs << '\n';
    }
    return tsv ? 0 : 1;
}

#else  // native: generation, child processes for peak memory, djpeg, the table

struct ChildResult {
    std::string output;
    double wallMs = 0;
    long peakKb = 0;
};

// Runs a program with its standard output captured; peak memory from the kernel's account of the child.
ChildResult RunChild(std::vector<std::string> args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    result.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("child failed: " + args[0]);
    return result;
}

std::string SelfPath() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("readlink");
    return std::string(path, static_cast<std::size_t>(n));
}

struct Measured {
    Timing timing;
    long peakKb = 0;
};

const char* ModeName(Mode mode) { return mode == Mode::Visible ? "visible" : mode == Mode::RowByRow ? "rows" : "full"; }

Measured MeasureInChild(const std::string& path, const Case& c, Mode mode) {
    const ChildResult child = RunChild({SelfPath(), "measure", ModeName(mode),
                                        std::to_string(&c - kCases), path, std::to_string(RepeatsFor(c, mode))});
    Measured m;
    std::istringstream(child.output) >> m.timing.medianMs >> m.timing.bytesRead;
    m.peakKb = child.peakKb;
    return m;
}

// djpeg decodes the whole picture with the same settings (accurate integer DCT, smooth upsampling) and
// writes it as PPM to /dev/null. Timed from outside, so the times include starting the process.
Measured MeasureDjpeg(const std::string& path, const Case& c) {
    std::vector<double> ms;
    long peak = 0;
    const int repeats = RepeatsFor(c, Mode::Full);
    for (int i = 0; i <= repeats; ++i) {
        const ChildResult child = RunChild({"djpeg", "-dct", "int", "-outfile", "/dev/null", path});
        if (i > 0) ms.push_back(child.wallMs);  // the first run warms the cache
        peak = std::max(peak, child.peakKb);
    }
    return Measured{Timing{Median(ms), 0}, peak};
}

int MeasureOne(const std::string& modeText, std::size_t index, const std::string& path, int repeats) {
    const Mode mode = modeText == "visible" ? Mode::Visible : modeText == "rows" ? Mode::RowByRow : Mode::Full;
    const Timing t = TimeLoads(path, kCases[index], mode, repeats);
    std::printf("%.4f %llu\n", t.medianMs, static_cast<unsigned long long>(t.bytesRead));
    return 0;
}

int PrintPixel(const std::string& path, int x, int y) {
    const auto endsWith = [&path](const char* end) {
        const std::size_t n = std::strlen(end);
        return path.size() > n && path.compare(path.size() - n, n, end) == 0;
    };
    FileSource file(path);
    std::uint32_t pixel = 0;
    if (endsWith(".jpg") || endsWith(".bmp")) {
        const velmira::DecodedPicture picture =
            endsWith(".jpg") ? velmira::DecodeJpeg(file, x + 1, y + 1) : velmira::DecodeBmp(file, x + 1, y + 1);
        pixel = picture.At(x, y);
    } else {
        const std::unique_ptr<velmira::wic::LibraryPicture> picture = velmira::wic::OpenLibraryPicture(file);
        if (!picture) throw std::runtime_error("no decoder for " + path);
        picture->ReadTopLeft(static_cast<std::uint32_t>(x + 1), static_cast<std::uint32_t>(y + 1),
                             [&](std::uint32_t row, const std::uint32_t* pixels) {
                                 if (row == static_cast<std::uint32_t>(y)) pixel = pixels[x];
                             });
    }
    std::printf("%06X\n", static_cast<unsigned>(pixel));
    return 0;
}

std::map<std::string, std::pair<double, double>> ReadWineTimes(const std::string& tsvPath) {
    std::map<std::string, std::pair<double, double>> times;
    std::ifstream in(tsvPath);
    std::string name;
    double visible = 0, full = 0;
    while (in >> name >> visible >> full) times[name] = {visible, full};
    return times;
}

std::uint64_t FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<std::uint64_t>(in.tellg());
}

std::string Ratio(double a, double b) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fx", a / b);
    return text;
}

int RunNative(const std::string& dir, const std::string& wineTsv) {
    const auto wine = wineTsv.empty() ? std::map<std::string, std::pair<double, double>>{} : ReadWineTimes(wineTsv);
    const ChildResult idle = RunChild({SelfPath(), "idle"});
    std::printf("Picture load: median ms per load (warm cache), bytes read, peak RSS of a process doing only that.\n");
    std::printf("Idle bench process peak RSS: %.1f MB. Ratios are full decode / preview load.\n\n", idle.peakKb / 1024.0);
    std::printf("| Picture | File MB | Load ms | Read KB | Row-by-row ms | Full ms | djpeg ms | Full/Load | djpeg/Load | Wine load ms | Wine full ms | Wine full/load | RSS MB load / full / djpeg |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    std::map<std::string, double> loadMs, wineLoadMs;
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        const Measured load = MeasureInChild(path, c, Mode::Visible);
        const Measured full = MeasureInChild(path, c, Mode::Full);
        const Measured djpeg = c.jpeg() ? MeasureDjpeg(path, c) : Measured{};
        char rowByRowMs[32] = "–";
        if (c.jpeg()) std::snprintf(rowByRowMs, sizeof rowByRowMs, "%.2f", MeasureInChild(path, c, Mode::RowByRow).timing.medianMs);
        loadMs[c.label] = load.timing.medianMs;
        std::string wineCells = "– | – | –";
        const auto w = wine.find(FileName(c));
        if (w != wine.end()) {
            char cells[96];
            std::snprintf(cells, sizeof cells, "%.2f | %.1f | %s", w->second.first, w->second.second,
                          Ratio(w->second.second, w->second.first).c_str());
            wineCells = cells;
            wineLoadMs[c.label] = w->second.first;
        }
        char djpegMs[32] = "–", djpegRatio[32] = "–", djpegRss[32] = "–";
        if (c.jpeg()) {
            std::snprintf(djpegMs, sizeof djpegMs, "%.1f", djpeg.timing.medianMs);
            std::snprintf(djpegRatio, sizeof djpegRatio, "%s", Ratio(djpeg.timing.medianMs, load.timing.medianMs).c_str());
            std::snprintf(djpegRss, sizeof djpegRss, "%.1f", djpeg.peakKb / 1024.0);
        }
        std::printf("| %s | %.1f | %.2f | %.0f | %s | %.1f | %s | %s | %s | %s | %.1f / %.1f / %s |\n", c.label,
                    FileSize(path) / 1048576.0, load.timing.medianMs, load.timing.bytesRead / 1024.0, rowByRowMs,
                    full.timing.medianMs, djpegMs, Ratio(full.timing.medianMs, load.timing.medianMs).c_str(),
                    djpegRatio, wineCells.c_str(), load.peakKb / 1024.0, full.peakKb / 1024.0, djpegRss);
        std::fflush(stdout);
    }
    std::printf("\nGoals: the 48 MP load within 2x of the 0.3 MP load (JPEG, BMP), within 1.5x (the plug-in's formats"
                " other than interlaced PNG and GIF).\n");
    const std::pair<std::string, std::string> goals[] = {
        {"JPEG 48 MP", "JPEG 0.3 MP"},
        {"JPEG 48 MP, restart every row", "JPEG 0.3 MP, restart every row"},
        {"BMP 48 MP", "BMP 0.3 MP"},
        {"PNG 48 MP", "PNG 0.3 MP"},
        {"PNG 100 MP gradient", "PNG 0.3 MP"},
        {"PNG 48 MP, interlaced", "PNG 0.3 MP, interlaced"},
        {"GIF 48 MP", "GIF 0.3 MP"},
        {"GIF 48 MP, interlaced", "GIF 0.3 MP, interlaced"},
        {"TIFF 48 MP, strips", "TIFF 0.3 MP, strips"},
        {"TIFF 48 MP, tiles", "TIFF 0.3 MP, tiles"},
        {"WebP 48 MP", "WebP 0.3 MP"},
    };
    for (const auto& [big, small] : goals) {
        std::printf("  %s / %s: native %s", big.c_str(), small.c_str(), Ratio(loadMs[big], loadMs[small]).c_str());
        if (wineLoadMs.count(big) && wineLoadMs.count(small))
            std::printf(", Wine %s", Ratio(wineLoadMs[big], wineLoadMs[small]).c_str());
        std::printf("\n");
    }
    return 0;
}

#endif

int Usage() {
    std::fprintf(stderr, "usage: velmira_load_bench generate DIR | samples DIR | run DIR [--wine TSV]"
                         " | run DIR --tsv FILE HELPER PLUGIN\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.empty()) return Usage();
#ifdef _WIN32
        if (args[0] == "run" && args.size() == 6 && args[2] == "--tsv") return RunWindows(args[1], args[3], args[4], args[5]);
#else
        if (args[0] == "generate" && args.size() == 2) return Generate(args[1]);
        if (args[0] == "run" && args.size() == 2) return RunNative(args[1], "");
        if (args[0] == "run" && args.size() == 4 && args[2] == "--wine") return RunNative(args[1], args[3]);
        if (args[0] == "measure" && args.size() == 5)
            return MeasureOne(args[1], static_cast<std::size_t>(std::stoul(args[2])), args[3], std::stoi(args[4]));
        if (args[0] == "samples" && args.size() == 2) return Samples(args[1]);
        if (args[0] == "idle") return 0;
        if (args[0] == "pixel" && args.size() == 4) return PrintPixel(args[1], std::stoi(args[2]), std::stoi(args[3]));
#endif
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmira_load_bench: %s\n", e.what());
        return 1;
    }
}
