// Picture load benchmark: what the preview's decode costs for photos of 0.3 to 48 megapixels, against a full
// decode of the same file by our own decoder (no visible-region limit) and by libjpeg-turbo's djpeg.
//
//   velmira_load_bench generate DIR            writes the pictures (native build; libjpeg and the test writer)
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
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/BmpDecoder.h"
#include "image/ByteSource.h"
#include "image/DecodedPicture.h"
#include "image/JpegDecoder.h"
#include "support/CountingSource.h"

#ifdef _WIN32
#include "image/FileByteSource.h"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <jpeglib.h>

#include "support/PictureWriter.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
    const char* label;
    bool jpeg;
    int width;
    int height;
    bool progressive = false;
    int restartRows = 0;  // a restart marker after every this many MCU rows
    int restartMcus = 0;  // or after every this many MCUs
};

const Case kCases[] = {
    {"JPEG 0.3 MP", true, 640, 480},    {"JPEG 3 MP", true, 2048, 1536},  {"JPEG 12 MP", true, 4000, 3000},
    {"JPEG 24 MP", true, 6000, 4000},   {"JPEG 48 MP", true, 8000, 6000},
    // The 48 MP photo's width at the 0.3 MP photo's height: JPEG rows can only be reached by entropy-decoding
    // every row above them across the whole width, so this one costs what the 48 MP load costs.
    {"JPEG 8000x480", true, 8000, 480},
    // Every scan of a progressive file covers the whole picture, so its top rows are final only after the
    // last scan: libjpeg keeps the coefficients of the whole picture, and the load costs nearly a full decode.
    {"JPEG 24 MP progressive", true, 6000, 4000, true},
    // Restart markers, as many cameras' and phones' hardware encoders write them: the load skips from one
    // to the next, decoding only the corner's MCUs of each row.
    {"JPEG 0.3 MP, restart every row", true, 640, 480, false, 1},
    {"JPEG 12 MP, restart every row", true, 4000, 3000, false, 1},
    {"JPEG 48 MP, restart every row", true, 8000, 6000, false, 1},
    {"JPEG 48 MP, restart every 4 MCUs", true, 8000, 6000, false, 0, 4},
    {"BMP 0.3 MP", false, 640, 480},
    {"BMP 12 MP", false, 4000, 3000},   {"BMP 48 MP", false, 8000, 6000},
};

std::string FileName(const Case& c) {
    return std::string(c.jpeg ? "jpeg-" : "bmp-") + std::to_string(c.width) + "x" + std::to_string(c.height) +
           (c.progressive ? "-progressive" : "") + (c.restartRows ? "-rst" + std::to_string(c.restartRows) + "row" : "") +
           (c.restartMcus ? "-rst" + std::to_string(c.restartMcus) + "mcu" : "") + (c.jpeg ? ".jpg" : ".bmp");
}

std::string Join(const std::string& dir, const std::string& name) {
#ifdef _WIN32
    return dir + "\\" + name;
#else
    return dir + "/" + name;
#endif
}

#ifndef _WIN32
// The native stand-in for the program's FileByteSource: positioned reads of exactly what is asked.
class PosixFileSource final : public velmira::ByteSource {
public:
    explicit PosixFileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        size_ = static_cast<std::uint64_t>(::lseek(fd_, 0, SEEK_END));
    }
    ~PosixFileSource() override { ::close(fd_); }
    PosixFileSource(const PosixFileSource&) = delete;
    PosixFileSource& operator=(const PosixFileSource&) = delete;
    std::uint64_t Size() override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, count - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0) throw std::runtime_error("read error");
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};
using FileSource = PosixFileSource;
#else
using FileSource = velmira::FileByteSource;
#endif

// Visible: the preview's load. RowByRow: the same without the restart-marker cut. Full: no size limit.
enum class Mode { Visible, RowByRow, Full };

// One load as the program does it: open the file, decode, drop the file. Returns the bytes read.
std::uint64_t LoadOnce(const std::string& path, bool jpeg, Mode mode) {
    FileSource file(path);
    velmira::test::CountingSource counted(file);
    const int maxWidth = mode == Mode::Full ? 1 << 30 : velmira::kPreviewWidth;
    const int maxHeight = mode == Mode::Full ? 1 << 30 : velmira::kPreviewHeight;
    const velmira::DecodedPicture picture =
        !jpeg                   ? velmira::DecodeBmp(counted, maxWidth, maxHeight)
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
    if (mode != Mode::Full && !c.progressive) return 21;
    return c.width * c.height >= 10'000'000 ? 3 : 7;
}

struct Timing {
    double medianMs = 0;
    std::uint64_t bytesRead = 0;
};

// A warm-up load first: the file is then in the page cache for every timed one, as after a first start.
Timing TimeLoads(const std::string& path, bool jpeg, Mode mode, int repeats) {
    Timing result;
    result.bytesRead = LoadOnce(path, jpeg, mode);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        LoadOnce(path, jpeg, mode);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    result.medianMs = Median(ms);
    return result;
}

#ifdef _WIN32

int RunWindows(const std::string& dir, const std::string& tsvPath) {
    std::ofstream tsv(tsvPath);
    std::printf("%-12s %14s %14s %8s %12s\n", "Picture", "visible ms", "full ms", "full/vis", "read KB");
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        const Timing visible = TimeLoads(path, c.jpeg, Mode::Visible, RepeatsFor(c, Mode::Visible));
        const Timing full = TimeLoads(path, c.jpeg, Mode::Full, RepeatsFor(c, Mode::Full));
        // Bytes that went through FileByteSource for one preview load: what the program reads from disk.
        std::printf("%-12s %14.2f %14.2f %7.1fx %12.0f\n", c.label, visible.medianMs, full.medianMs,
                    full.medianMs / visible.medianMs, visible.bytesRead / 1024.0);
        tsv << FileName(c) << '\t' << visible.medianMs << '\t' << full.medianMs << '\n';
    }
    return tsv ? 0 : 1;
}

#else  // native: generation, child processes for peak memory, djpeg, the table

// Photo-like content: smooth light with fine grain, so that the entropy data is as dense as a camera's
// (a plain gradient compresses to almost nothing and would flatter a decoder that must walk it).
std::uint8_t Grain(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ channel * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return static_cast<std::uint8_t>(h & 31);
}

std::uint8_t Sample(int x, int y, int width, int height, int channel) {
    const int base = channel == 0 ? 200 * x / width : channel == 1 ? 200 * y / height : 100 + 100 * (x + y) / (width + height);
    return static_cast<std::uint8_t>(base + Grain(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                                   static_cast<std::uint32_t>(channel)));
}

// Streams the rows through libjpeg: a 48-megapixel picture never has to be in memory whole.
// Baseline (or progressive) 4:2:0 at quality 90, what a camera (or a web export) writes.
void WriteJpeg(const std::string& path, const Case& c) {
    const int width = c.width, height = c.height;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);  // default error_exit: a failure here ends the generator
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (c.progressive) jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = c.restartRows;
    if (c.restartMcus) cinfo.restart_interval = static_cast<unsigned>(c.restartMcus);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[static_cast<std::size_t>(x) * 3 + c] = Sample(x, y, width, height, c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

// A 24-bit bottom-up BMP through the test writer, the commonest kind.
void WriteBmp(const std::string& path, int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::string pixels(stride * static_cast<std::size_t>(height), '\0');
    for (int y = 0; y < height; ++y) {
        char* row = &pixels[stride * static_cast<std::size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<char>(Sample(x, y, width, height, 2 - c));
    }
    velmira::test::BmpFormat format;
    const std::string file = velmira::test::AssembleBmp(format, width, height, pixels);
    std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
}

int Generate(const std::string& dir) {
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        if (std::ifstream(path).good()) continue;  // made by an earlier run
        std::fprintf(stderr, "writing %s\n", path.c_str());
        if (c.jpeg)
            WriteJpeg(path, c);
        else
            WriteBmp(path, c.width, c.height);
    }
    return 0;
}

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
                                        c.jpeg ? "jpeg" : "bmp", path, std::to_string(RepeatsFor(c, mode))});
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

int MeasureOne(const std::string& modeText, const std::string& kind, const std::string& path, int repeats) {
    const Mode mode = modeText == "visible" ? Mode::Visible : modeText == "rows" ? Mode::RowByRow : Mode::Full;
    const Timing t = TimeLoads(path, kind == "jpeg", mode, repeats);
    std::printf("%.4f %llu\n", t.medianMs, static_cast<unsigned long long>(t.bytesRead));
    return 0;
}

int PrintPixel(const std::string& path, int x, int y) {
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    FileSource file(path);
    const velmira::DecodedPicture picture =
        jpeg ? velmira::DecodeJpeg(file, x + 1, y + 1) : velmira::DecodeBmp(file, x + 1, y + 1);
    std::printf("%06X\n", static_cast<unsigned>(picture.At(x, y)));
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
        const Measured djpeg = c.jpeg ? MeasureDjpeg(path, c) : Measured{};
        char rowByRowMs[32] = "–";
        if (c.jpeg) std::snprintf(rowByRowMs, sizeof rowByRowMs, "%.2f", MeasureInChild(path, c, Mode::RowByRow).timing.medianMs);
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
        if (c.jpeg) {
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
    std::printf("\nGoal: the 48 MP load within 2x of the 0.3 MP load.\n");
    const std::pair<std::string, std::string> goals[] = {
        {"JPEG 48 MP", "JPEG 0.3 MP"},
        {"JPEG 48 MP, restart every row", "JPEG 0.3 MP, restart every row"},
        {"BMP 48 MP", "BMP 0.3 MP"},
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
    std::fprintf(stderr, "usage: velmira_load_bench generate DIR | run DIR [--wine TSV] [--tsv FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.empty()) return Usage();
#ifdef _WIN32
        if (args[0] == "run" && args.size() == 4 && args[2] == "--tsv") return RunWindows(args[1], args[3]);
#else
        if (args[0] == "generate" && args.size() == 2) return Generate(args[1]);
        if (args[0] == "run" && args.size() == 2) return RunNative(args[1], "");
        if (args[0] == "run" && args.size() == 4 && args[2] == "--wine") return RunNative(args[1], args[3]);
        if (args[0] == "measure" && args.size() == 5) return MeasureOne(args[1], args[2], args[3], std::stoi(args[4]));
        if (args[0] == "idle") return 0;
        if (args[0] == "pixel" && args.size() == 4) return PrintPixel(args[1], std::stoi(args[2]), std::stoi(args[3]));
#endif
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmira_load_bench: %s\n", e.what());
        return 1;
    }
}
