#include "capture/preview_jpeg.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>  // needs size_t and FILE first
// clang-format on
#include <csetjmp>
#include <cstring>
#include <vector>

#include "capture/preview_scale.h"

namespace {
// A frame whose header claims more pixels per side than any camera streams is not
// decoded: the picture would take memory for the claimed size.
constexpr int kMaxPictureSide = 4096;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps
// back to decode. Warnings (corrupt or cut-off data) are not printed.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

void ignoreMessage(j_common_ptr, int) {}
}  // namespace

// Shown columns x .. x + count - 1 show the decoded columns from .. from + count - 1.
struct ColumnRun {
    int x;
    int from;
    int count;
};

struct PreviewJpegDecoder::State {
    jpeg_decompress_struct jpeg{};
    JumpingErrors errors{};
    std::vector<uint8_t> row;  // one decoded row when it is resampled
    // The shown columns as runs of neighbouring decoded columns: a picture sampled down by
    // a few percent copies runs of a dozen pixels at once.
    std::vector<ColumnRun> columnRuns;

    void planColumns(int shownWidth, int decodedWidth);
    void resampleRow(const uint8_t* in, uint8_t* out) const;

    // Reads the decoded rows into `picture`, which has the decoded size or is resampled
    // to its own size. Returns false when libjpeg failed (it jumped back here).
    bool readRows(QImage& picture);
};

PreviewJpegDecoder::PreviewJpegDecoder() : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.jpeg.err = jpeg_std_error(&s.errors.manager);
    s.errors.manager.error_exit = jumpBack;
    s.errors.manager.emit_message = ignoreMessage;
    jpeg_create_decompress(&s.jpeg);
}

PreviewJpegDecoder::~PreviewJpegDecoder() {
    jpeg_destroy_decompress(&state_->jpeg);
}

bool PreviewJpegDecoder::State::readRows(QImage& picture) {
    // Nothing with a destructor may live in this frame between setjmp and a jump back.
    if (setjmp(errors.jump) != 0)
        return false;
    jpeg_start_decompress(&jpeg);
    const int width = int(jpeg.output_width);
    const int height = int(jpeg.output_height);
    if (picture.width() == width && picture.height() == height) {
        while (int(jpeg.output_scanline) < height) {
            JSAMPROW line = picture.scanLine(int(jpeg.output_scanline));
            jpeg_read_scanlines(&jpeg, &line, 1);
        }
        return true;
    }
    // Row y of the picture shows the decoded row under its centre, column x likewise: the
    // rows arrive in order, and each one is resampled once, for every picture row it shows.
    const int shownWidth = picture.width();
    const int shownHeight = picture.height();
    JSAMPROW line = row.data();
    int y = 0;
    while (y < shownHeight && int(jpeg.output_scanline) < height) {
        const int source = nearestSource(y, shownHeight, height);
        const int decoded = int(jpeg.output_scanline);
        jpeg_read_scanlines(&jpeg, &line, 1);
        if (decoded < source)
            continue;
        uchar* out = picture.scanLine(y);
        resampleRow(line, out);
        for (++y; y < shownHeight && nearestSource(y, shownHeight, height) == decoded; ++y)
            std::memcpy(picture.scanLine(y), out, size_t(shownWidth) * 4);
    }
    return y == shownHeight;
}

void PreviewJpegDecoder::State::planColumns(int shownWidth, int decodedWidth) {
    columnRuns.clear();
    for (int x = 0; x < shownWidth; ++x) {
        const int from = nearestSource(x, shownWidth, decodedWidth);
        ColumnRun* last = columnRuns.empty() ? nullptr : &columnRuns.back();
        if (last != nullptr && last->from + last->count == from)
            ++last->count;
        else
            columnRuns.push_back(ColumnRun{x, from, 1});
    }
}

namespace {
// Copies `count` pixels of 4 bytes. A run of a dozen pixels is moved 16 bytes at a time,
// the last 16 overlapping the ones before, instead of calling memcpy with a length that
// changes from run to run: a row sampled down by a few percent is some sixty such runs.
void copyPixels(uint8_t* to, const uint8_t* from, int count) {
    const size_t bytes = size_t(count) * 4;
    if (bytes < 16) {
        for (size_t offset = 0; offset < bytes; offset += 4)
            std::memcpy(to + offset, from + offset, 4);
        return;
    }
    for (size_t offset = 0; offset + 16 < bytes; offset += 16)
        std::memcpy(to + offset, from + offset, 16);
    std::memcpy(to + bytes - 16, from + bytes - 16, 16);
}
}  // namespace

void PreviewJpegDecoder::State::resampleRow(const uint8_t* in, uint8_t* out) const {
    for (const ColumnRun& run : columnRuns)
        copyPixels(out + size_t(run.x) * 4, in + size_t(run.from) * 4, run.count);
}

QImage PreviewJpegDecoder::decode(const uint8_t* data, size_t length, QSize shown, QSize* frameSize) {
    if (frameSize != nullptr)
        *frameSize = QSize();
    if (data == nullptr || length == 0)
        return QImage();
    State& s = *state_;
    if (setjmp(s.errors.jump) != 0) {
        jpeg_abort_decompress(&s.jpeg);
        return QImage();
    }
    jpeg_mem_src(&s.jpeg, data, static_cast<unsigned long>(length));
    jpeg_read_header(&s.jpeg, TRUE);
    const QSize frame(int(s.jpeg.image_width), int(s.jpeg.image_height));
    if (frame.isEmpty() || frame.width() > kMaxPictureSide || frame.height() > kMaxPictureSide) {
        jpeg_abort_decompress(&s.jpeg);
        return QImage();
    }
    const int divisor = jpegScaleDivisor(frame, shown);
    s.jpeg.scale_num = 1;
    s.jpeg.scale_denom = unsigned(divisor);
    // BGRX is QImage's RGB32 in memory on little-endian machines; libjpeg-turbo sets the X
    // byte to 0xFF. Fast DCT and plain chroma upsampling: the difference to the accurate
    // ones is below what a preview can show, and the upsampling merges with the colour
    // conversion.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    s.jpeg.out_color_space = JCS_EXT_BGRX;
#else
    s.jpeg.out_color_space = JCS_EXT_XRGB;
#endif
    s.jpeg.dct_method = JDCT_IFAST;
    s.jpeg.do_fancy_upsampling = FALSE;
    jpeg_calc_output_dimensions(&s.jpeg);
    const QSize decoded(int(s.jpeg.output_width), int(s.jpeg.output_height));
    const QSize target = shown.isEmpty() || showsUnscaled(decoded, shown) ? decoded : shown;
    QImage picture(target, QImage::Format_RGB32);
    if (picture.isNull()) {
        jpeg_abort_decompress(&s.jpeg);
        return QImage();
    }
    if (target != decoded) {
        s.row.resize(size_t(decoded.width()) * 4);
        s.planColumns(target.width(), decoded.width());
    }
    const bool complete = s.readRows(picture);
    // The rest of the data (a cut-off end, bytes after the picture) is not read.
    jpeg_abort_decompress(&s.jpeg);
    if (!complete)
        return QImage();
    if (frameSize != nullptr)
        *frameSize = frame;
    return picture;
}
