#include "image/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "image/JpegRestartCut.h"
#include "picture/MemoryByteSource.h"

namespace velmira {
namespace {

constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
constexpr long kMaxMemory = 256L << 20;
// Each progressive scan walks the whole coefficient buffer; a hostile file can hold thousands of
// tiny scans. Real encoders write about ten.
constexpr int kMaxScans = 500;
constexpr std::size_t kInputBufferSize = 64 * 1024;

// libjpeg calls error_exit for every fatal error and expects it not to return. It runs deep inside C
// frames, which C++ exceptions must not cross, so it jumps back to the setjmp in JpegSession::Run.
struct ErrorManager {
    jpeg_error_mgr base;  // first, so that cinfo->err can be cast back
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

// Warnings (corrupt data, premature end) let decoding go on; there is nowhere to print them.
void OutputMessage(j_common_ptr) {}

// The source reads the file in chunks through ByteSource rather than loading it whole: decoding stops
// after the visible rows, so a large baseline file is mostly never read at all.
struct SourceManager {
    jpeg_source_mgr base;  // first, so that cinfo->src can be cast back
    ByteSource* source = nullptr;
    std::uint64_t offset = 0;
    std::vector<JOCTET> buffer;
};

SourceManager* SourceOf(j_decompress_ptr cinfo) { return reinterpret_cast<SourceManager*>(cinfo->src); }

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    SourceManager* src = SourceOf(cinfo);
    std::size_t count = 0;
    bool readFailed = false;
    try {
        count = src->source->ReadAt(src->offset, src->buffer.data(), src->buffer.size());
    } catch (...) {
        readFailed = true;  // the jump below must not leave from inside the handler
    }
    if (readFailed) ERREXIT(cinfo, JERR_FILE_READ);
    if (count == 0) {
        // The file ended early: warn and pretend an end-of-image marker, as libjpeg's own sources do.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        count = 2;
    } else {
        src->offset += count;
    }
    src->base.next_input_byte = src->buffer.data();
    src->base.bytes_in_buffer = count;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    SourceManager* src = SourceOf(cinfo);
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= src->base.bytes_in_buffer) {
        src->base.next_input_byte += skip;
        src->base.bytes_in_buffer -= skip;
        return;
    }
    src->offset += skip - src->base.bytes_in_buffer;
    src->base.bytes_in_buffer = 0;  // the next read starts at the new offset
}

void LimitScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT4(cinfo, JERR_BAD_PROGRESSION, 0, 0, 0, 0);
}

std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }

std::uint32_t CmykToRgb(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted) {
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    // Now each value is 255 minus the ink, so the remaining light of a channel is value * k.
    return Rgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

// Owns one decompress object. Run holds the only setjmp; between it and any longjmp the frame of Run
// holds nothing with a destructor, and everything it keeps lives in members or in the caller's picture.
class JpegSession {
public:
    explicit JpegSession(ByteSource& source) {
        std::memset(&cinfo_, 0, sizeof cinfo_);
        cinfo_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = ErrorExit;
        errors_.base.output_message = OutputMessage;
        source_.base.init_source = InitSource;
        source_.base.fill_input_buffer = FillInputBuffer;
        source_.base.skip_input_data = SkipInputData;
        source_.base.resync_to_restart = jpeg_resync_to_restart;
        source_.base.term_source = TermSource;
        source_.base.next_input_byte = nullptr;
        source_.base.bytes_in_buffer = 0;
        source_.source = &source;
        source_.buffer.resize(kInputBufferSize);
        progress_.progress_monitor = LimitScans;
    }
    ~JpegSession() { jpeg_destroy_decompress(&cinfo_); }  // safe even when creation failed half-way
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;

    // False when libjpeg gave up; ErrorCode() then tells why.
    bool Run(DecodedPicture& picture, int maxWidth, int maxHeight) {
        if (setjmp(errors_.jump) != 0) return false;
        jpeg_create_decompress(&cinfo_);
        cinfo_.mem->max_memory_to_use = kMaxMemory;
        cinfo_.src = &source_.base;
        cinfo_.progress = &progress_;
        jpeg_read_header(&cinfo_, TRUE);
        if (std::uint64_t{cinfo_.image_width} * cinfo_.image_height > kMaxPixels)
            ERREXIT1(&cinfo_, JERR_IMAGE_TOO_BIG, JPEG_MAX_DIMENSION);
        Configure();
        jpeg_start_decompress(&cinfo_);

        picture.width = static_cast<int>(cinfo_.output_width);
        picture.height = static_cast<int>(cinfo_.output_height);
        picture.visibleWidth = std::min(picture.width, std::max(maxWidth, 0));
        picture.visibleHeight = std::min(picture.height, std::max(maxHeight, 0));
        picture.pixels.assign(static_cast<std::size_t>(picture.visibleWidth) * picture.visibleHeight, 0);
        if (picture.visibleWidth > 0) ReadVisibleRows(picture);
        // The rows below the visible ones are never shown: leave them unread.
        jpeg_abort_decompress(&cinfo_);
        return true;
    }

    int ErrorCode() const { return errors_.base.msg_code; }

private:
    void Configure() {
        const bool inks = cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
        cinfo_.out_color_space = inks ? JCS_CMYK : JCS_RGB;
        cinfo_.scale_num = 1;
        cinfo_.scale_denom = 1;
        cinfo_.dct_method = JDCT_ISLOW;
        cinfo_.do_fancy_upsampling = TRUE;
        cinfo_.do_block_smoothing = TRUE;
        cinfo_.quantize_colors = FALSE;
        cinfo_.dither_mode = JDITHER_NONE;
        cinfo_.buffered_image = FALSE;
        cinfo_.raw_data_out = FALSE;
    }

    void ReadVisibleRows(DecodedPicture& picture) {
        // Cropping decodes only the iMCU columns that reach the visible ones. One iMCU column more is
        // kept on the right so that the upsampler sees the true neighbours of the last visible
        // column, and the visible pixels equal those of a full-width decode.
        const JDIMENSION imcuWidth = static_cast<JDIMENSION>(cinfo_.max_h_samp_factor) * DCTSIZE;
        JDIMENSION cropWidth = static_cast<JDIMENSION>(picture.visibleWidth) + imcuWidth;
        if (cropWidth < cinfo_.output_width) {
            JDIMENSION cropOffset = 0;
            jpeg_crop_scanline(&cinfo_, &cropOffset, &cropWidth);
        }
        const bool inks = cinfo_.out_color_space == JCS_CMYK;
        const bool inverted = inks && cinfo_.saw_Adobe_marker;
        JSAMPARRAY row = (*cinfo_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo_), JPOOL_IMAGE,
                                                     cinfo_.output_width * cinfo_.output_components, 1);
        while (cinfo_.output_scanline < static_cast<JDIMENSION>(picture.visibleHeight)) {
            const JDIMENSION y = cinfo_.output_scanline;
            if (jpeg_read_scanlines(&cinfo_, row, 1) != 1) break;  // cannot happen: the source never suspends
            std::uint32_t* out = &picture.pixels[static_cast<std::size_t>(y) * picture.visibleWidth];
            const JSAMPLE* in = row[0];
            for (int x = 0; x < picture.visibleWidth; ++x) {
                if (inks) {
                    out[x] = CmykToRgb(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3], inverted);
                } else {
                    out[x] = Rgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
                }
            }
        }
    }

    jpeg_decompress_struct cinfo_;
    ErrorManager errors_{};
    SourceManager source_{};
    jpeg_progress_mgr progress_{};
};

}  // namespace

std::string JpegErrorMessage(int messageCode) {
    char text[64];
    std::snprintf(text, sizeof text, "JPEG エラー #%d", messageCode);
    return text;
}

DecodedPicture DecodeJpegRowByRow(ByteSource& source, int maxWidth, int maxHeight) {
    DecodedPicture picture;
    JpegSession session(source);
    if (!session.Run(picture, maxWidth, maxHeight)) throw std::runtime_error(JpegErrorMessage(session.ErrorCode()));
    return picture;
}

DecodedPicture DecodeJpeg(ByteSource& source, int maxWidth, int maxHeight) {
    if (const std::optional<JpegCut> cut = CutJpegAtRestarts(source, maxWidth, maxHeight)) {
        MemoryByteSource corner(cut->bytes);
        JpegSession session(corner);
        DecodedPicture picture;
        if (session.Run(picture, maxWidth, maxHeight)) {
            picture.width = cut->width;
            picture.height = cut->height;
            return picture;
        }
        // libjpeg refused something the cut kept from the file's headers: the file itself gives its error.
    }
    return DecodeJpegRowByRow(source, maxWidth, maxHeight);
}

}  // namespace velmira
