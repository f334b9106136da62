// What one preview tick costs with the camera's default stream, MJPG 3520 x 1104: the
// frame copied out of the store, decoded (FrameImage::getPixmap, QPixmap::loadFromData
// with "JPG") and shown (CustomImageLabel::showPixmap and the paint of the label, which
// scales the picture into the preview box). Beside it, the decode alone and decoding
// with libjpeg-turbo directly (full size, fast DCT, and scaled by 1/4 for the preview).
//
// The frame is a camera-like picture (a lit room with people, sensor noise) encoded as
// 4:2:2 baseline JPEG at the quality that makes it 200-300 KB, as a UVC camera sends.
//
// Reported per benchmark: median and 99th percentile of the wall time in ms, the median
// CPU time of the process, and the share of one core the tick takes at 30 frames per
// second (CPU median x 30 / 1000). On a busy machine the wall time includes waiting for
// a core; the CPU time does not.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRandomGenerator>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/debug_log.h"
#include "capture/custom_image_label.h"
#include "capture/frame_image.h"
#include "percentile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 3520;
constexpr int kHeight = 1104;
constexpr int kPreviewHeight = 1104;
// The label's size in the window's preview box (910 wide, the picture's aspect).
constexpr int kLabelWidth = 910;
constexpr int kLabelHeight = 285;

// A picture such as the camera sees: a room with a window, a table and people, with the
// noise of a small sensor.
QImage cameraLikePicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient wall(0, 0, 0, kHeight);
    wall.setColorAt(0, QColor(188, 182, 170));
    wall.setColorAt(1, QColor(120, 110, 98));
    painter.fillRect(image.rect(), wall);
    QLinearGradient sky(0, 80, 0, 600);
    sky.setColorAt(0, QColor(150, 190, 235));
    sky.setColorAt(1, QColor(220, 230, 240));
    painter.fillRect(QRect(2300, 80, 1000, 520), sky);
    painter.setPen(QPen(QColor(60, 60, 60), 14));
    painter.drawRect(QRect(2300, 80, 1000, 520));
    painter.drawLine(2800, 80, 2800, 600);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(92, 64, 44));
    painter.drawRoundedRect(QRect(300, 760, 2900, 260), 60, 60);
    QRandomGenerator shapes(7);
    for (int person = 0; person < 6; ++person) {
        const int x = 420 + person * 480;
        painter.setBrush(QColor::fromHsv(int(shapes.bounded(360)), 120, 140));
        painter.drawRoundedRect(QRect(x - 140, 560, 280, 320), 80, 80);
        painter.setBrush(QColor(224, 180, 150));
        painter.drawEllipse(QPoint(x, 470), 85, 105);
        painter.setBrush(QColor(50, 36, 28));
        painter.drawChord(QRect(x - 90, 360, 180, 150), 0, 180 * 16);
    }
    painter.end();

    QRandomGenerator noise(11);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int n = int(noise.bounded(13)) - 6;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                           std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    return image;
}

std::vector<uint8_t> encode(const QImage& image, int quality) {
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, image.constBits(), image.width(), image.bytesPerLine(), image.height(), TJPF_BGRX,
                &jpeg, &size, TJSAMP_422, quality, TJFLAG_FASTDCT);
    std::vector<uint8_t> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

// The frame every benchmark decodes: the highest quality whose JPEG stays within 300 KB.
const std::vector<uint8_t>& frame() {
    static const std::vector<uint8_t> bytes = [] {
        const QImage picture = cameraLikePicture();
        std::vector<uint8_t> best;
        for (int quality = 95; quality >= 30; quality -= 5) {
            best = encode(picture, quality);
            if (best.size() <= 300 * 1024)
                break;
        }
        return best;
    }();
    return bytes;
}

// Shows the label and waits until its window can be painted, so that repaint() paints.
void showExposed(QWidget& widget) {
    widget.show();
    for (int round = 0; round < 200; ++round) {
        QCoreApplication::processEvents();
        if (widget.windowHandle() && widget.windowHandle()->isExposed())
            return;
        QThread::msleep(5);
    }
}

// CPU time of the process in ms, all threads: what the tick costs, whatever else the
// machine is busy with (Qt scales large pictures on pool threads, so the calling
// thread's time alone would miss part of it).
double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1.0e6;
}

// Times each iteration of body and reports the median and p99 of the wall time, the
// median of the process's CPU time, and the share of one core at 30 fps (CPU median x 30).
template <typename Body>
void measure(benchmark::State& state, Body body) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = processCpuMs();
        body();
        cpu.push_back(processCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const double cpuMedian = percentile(cpu, 0.5);
    state.counters["median_ms"] = percentile(wall, 0.5);
    state.counters["p99_ms"] = percentile(wall, 0.99);
    state.counters["cpu_median_ms"] = cpuMedian;
    state.counters["core_at_30fps_%"] = cpuMedian * 30.0 / 1000.0 * 100.0;
    state.counters["jpeg_KB"] = double(frame().size()) / 1024.0;
}

// The tick as the window runs it: copy out of the store, decode, scale when lower than
// the preview, show, and the paint that follows.
void BM_PreviewTick(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = frame();
    std::vector<uint8_t> copyBuffer(size_t(kWidth) * kHeight * 4);
    FrameImage image;
    image.setFormat(kWidth, kHeight, 4);
    CustomImageLabel label;
    label.resize(kLabelWidth, kLabelHeight);
    showExposed(label);
    measure(state, [&] {
        std::memcpy(copyBuffer.data(), jpeg.data(), jpeg.size());
        image.setData(copyBuffer.data(), int(jpeg.size()));
        QPixmap pixmap = image.getPixmap();
        if (pixmap.height() < kPreviewHeight) {
            pixmap = pixmap.scaledToHeight(kPreviewHeight, Qt::FastTransformation);
        }
        label.showPixmap(pixmap);
        label.repaint();
    });
}
BENCHMARK(BM_PreviewTick)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The decode alone, as FrameImage does it.
void BM_DecodeWithQPixmap(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = frame();
    FrameImage image;
    measure(state, [&] {
        image.setData(jpeg.data(), int(jpeg.size()));
        benchmark::DoNotOptimize(image.getPixmap());
    });
}
BENCHMARK(BM_DecodeWithQPixmap)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The display alone: a new picture for the label, which scales the 3520 x 1104 picture
// into itself (nearest-neighbour) when it paints. Two pictures take turns, so every paint scales anew as it
// does for every new frame.
void BM_ShowAndPaintLabel(benchmark::State& state) {
    FrameImage image;
    image.setData(frame().data(), int(frame().size()));
    const QPixmap first = image.getPixmap();
    const QPixmap second = first.copy();
    CustomImageLabel label;
    label.resize(kLabelWidth, kLabelHeight);
    showExposed(label);
    bool flip = false;
    measure(state, [&] {
        flip = !flip;
        label.showPixmap(flip ? first : second);
        label.repaint();
    });
}
BENCHMARK(BM_ShowAndPaintLabel)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// libjpeg-turbo straight into a QImage; scaleDenom 4 decodes at a quarter of the size,
// about what the preview box shows.
void decodeWithTurbo(benchmark::State& state, int flags, int scaleDenom) {
    const std::vector<uint8_t>& jpeg = frame();
    tjhandle handle = tjInitDecompress();
    const int width = TJSCALED(kWidth, (tjscalingfactor{1, scaleDenom}));
    const int height = TJSCALED(kHeight, (tjscalingfactor{1, scaleDenom}));
    QImage image(width, height, QImage::Format_RGB32);
    measure(state, [&] {
        const int rc = tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                                     image.bits(), width, image.bytesPerLine(), height, TJPF_BGRX, flags);
        benchmark::DoNotOptimize(rc);
    });
    tjDestroy(handle);
}

void BM_DecodeWithTurboJpeg(benchmark::State& state) {
    decodeWithTurbo(state, 0, 1);
}
BENCHMARK(BM_DecodeWithTurboJpeg)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_DecodeWithTurboJpegFastDct(benchmark::State& state) {
    decodeWithTurbo(state, TJFLAG_FASTDCT, 1);
}
BENCHMARK(BM_DecodeWithTurboJpegFastDct)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_DecodeWithTurboJpegQuarter(benchmark::State& state) {
    decodeWithTurbo(state, TJFLAG_FASTDCT, 4);
}
BENCHMARK(BM_DecodeWithTurboJpegQuarter)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setLogEcho(false);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
