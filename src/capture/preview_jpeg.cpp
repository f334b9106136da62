#include "capture/preview_jpeg.h"

#include <turbojpeg.h>

#include "capture/preview_scale.h"

namespace {
// A frame whose header claims more pixels per side than any camera streams is not
// decoded: the picture would take memory for the claimed size.
constexpr int kMaxPictureSide = 4096;
}  // namespace

PreviewJpegDecoder::PreviewJpegDecoder() : handle_(tjInitDecompress()) {}

PreviewJpegDecoder::~PreviewJpegDecoder() {
    if (handle_ != nullptr)
        tjDestroy(handle_);
}

QImage PreviewJpegDecoder::decode(const uint8_t* data, size_t length, QSize shown, QSize* frameSize) {
    if (frameSize != nullptr)
        *frameSize = QSize();
    if (handle_ == nullptr || data == nullptr || length == 0)
        return QImage();
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    const auto jpegSize = static_cast<unsigned long>(length);
    if (tjDecompressHeader3(handle_, data, jpegSize, &width, &height, &subsampling, &colorspace) != 0 ||
        width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return QImage();
    }
    const int divisor = jpegScaleDivisor(QSize(width, height), shown);
    QImage picture(scaledSide(width, divisor), scaledSide(height, divisor), QImage::Format_RGB32);
    if (picture.isNull())
        return QImage();
        // BGRX is QImage's RGB32 in memory on little-endian machines; libjpeg-turbo sets the
        // X byte to 0xFF. Fast DCT: the difference to the accurate one is below what a
        // preview can show.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    const int pixelFormat = TJPF_BGRX;
#else
    const int pixelFormat = TJPF_XRGB;
#endif
    const int rc = tjDecompress2(handle_, data, jpegSize, picture.bits(), picture.width(),
                                 static_cast<int>(picture.bytesPerLine()), picture.height(), pixelFormat,
                                 TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    if (rc != 0 && tjGetErrorCode(handle_) != TJERR_WARNING)
        return QImage();
    if (frameSize != nullptr)
        *frameSize = QSize(width, height);
    return picture;
}
