// What it costs to get one camera frame on screen in the preview, on the window's own
// display path: a main window connected to the simulated Lumora X8, whose frame store is
// fed with realistic frames (the simulated camera itself delivers none meanwhile), runs
// its preview tick (mainwindow::updateImage) until the label painted the frame. Beside it,
// the same frames decoded by ffmpeg's libavcodec (MJPEG, one thread) and scaled by
// libswscale to the same size.
//
// Frames: camera-like pictures (a lit room with people, sensor noise) encoded as 4:2:2
// baseline JPEG at the highest quality that keeps them within 300 KB, at 3520 x 1104 and
// 1920 x 1080.
//
// Per size:
//   cost     CPU time of the whole process (GUI thread, decoder thread, anything Qt
//            starts) from the tick that takes the frame until the label has painted it,
//            median and p99 over the frames, and the GUI thread's part of it;
//   baseline libavcodec + libswscale to the label's size, nearest and fast bilinear; the
//            cheaper of the two is the baseline;
//   stall    frames written into the store at 30 fps from another thread while the
//            window's own timers run; per frame period the longest time the GUI thread
//            spent in one event (p50, p99, max over the frames), frames shown; the same
//            in the GUI thread's CPU time, which a busy machine does not stretch;
//   floor    libjpeg-turbo reading the frame's coefficients and making no picture: the
//            part of any decode that no scaling removes; read on the GUI thread right
//            after each frame of the cost, so that both see the same load on the machine;
//   PSNR     the shown picture against a full decode scaled the same way, and against
//            the ideal picture beside the full decode scaled that way.
// Then cost / baseline per size and, last, cost / floor per size: the median of the
// ratios of several rounds, each with its own warm-up (the rounds' ratios are printed too).
//
// Options: --frames=N cost frames per size (300), --rounds=N (5), --stall-frames=N (1000).
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>  // needs size_t and FILE first
// clang-format on
#include <turbojpeg.h>

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "app/mainwindow.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "bench_options.h"
#include "capture/capture_slots.h"
#include "capture/custom_image_label.h"
#include "device/sim/sim_camera.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "percentile.h"
#include "support/psnr.h"
#include "xu/uvc_xu_manager.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1.0e6;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// --- frames ---------------------------------------------------------------------------

// A room with a window, a table and people, drawn in 3520 x 1104 coordinates and
// stretched to the frame; seed moves the people and changes the sensor noise.
QImage cameraLikePicture(QSize size, int seed) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(size.width() / 3520.0, size.height() / 1104.0);
    QLinearGradient wall(0, 0, 0, 1104);
    wall.setColorAt(0, QColor(188, 182, 170));
    wall.setColorAt(1, QColor(120, 110, 98));
    painter.fillRect(QRect(0, 0, 3520, 1104), wall);
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
        const int x = 420 + person * 480 + seed * 12;
        painter.setBrush(QColor::fromHsv(int(shapes.bounded(360)), 120, 140));
        painter.drawRoundedRect(QRect(x - 140, 560, 280, 320), 80, 80);
        painter.setBrush(QColor(224, 180, 150));
        painter.drawEllipse(QPoint(x, 470), 85, 105);
        painter.setBrush(QColor(50, 36, 28));
        painter.drawChord(QRect(x - 90, 360, 180, 150), 0, 180 * 16);
    }
    painter.end();

    QRandomGenerator noise(quint32(11 + seed));
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
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
    tjCompress2(handle, image.constBits(), image.width(), int(image.bytesPerLine()), image.height(),
                TJPF_BGRX, &jpeg, &size, TJSAMP_422, quality, 0);
    std::vector<uint8_t> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

struct TestFrames {
    QSize size;
    int quality = 0;
    std::vector<std::vector<uint8_t>> jpegs;
    double meanKB() const {
        double sum = 0;
        for (const auto& jpeg : jpegs)
            sum += double(jpeg.size());
        return sum / double(jpegs.size()) / 1024.0;
    }
};

TestFrames makeFrames(QSize size, int count) {
    TestFrames frames;
    frames.size = size;
    const QImage first = cameraLikePicture(size, 0);
    for (frames.quality = 98; frames.quality > 30; --frames.quality) {
        if (encode(first, frames.quality).size() <= 300 * 1024)
            break;
    }
    for (int seed = 0; seed < count; ++seed)
        frames.jpegs.push_back(encode(seed == 0 ? first : cameraLikePicture(size, seed), frames.quality));
    return frames;
}

// --- the libavcodec + libswscale baseline ---------------------------------------------

class LibavDecodeAndScale {
public:
    LibavDecodeAndScale(QSize shown, int swsFlags) : shown_(shown), swsFlags_(swsFlags) {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
        context_ = avcodec_alloc_context3(codec);
        context_->thread_count = 1;
        context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
        avcodec_open2(context_, codec, nullptr);
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        picture_.assign(size_t(shown.width()) * size_t(shown.height()) * 4, 0);
    }
    ~LibavDecodeAndScale() {
        sws_freeContext(sws_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&context_);
    }
    LibavDecodeAndScale(const LibavDecodeAndScale&) = delete;
    LibavDecodeAndScale& operator=(const LibavDecodeAndScale&) = delete;

    // padded: the JPEG followed by the decoder's zero padding.
    bool run(const std::vector<uint8_t>& padded, size_t length) {
        packet_->data = const_cast<uint8_t*>(padded.data());
        packet_->size = int(length);
        if (avcodec_send_packet(context_, packet_) < 0 || avcodec_receive_frame(context_, frame_) < 0)
            return false;
        if (sws_ == nullptr) {
            // The decoder's full-range 4:2:2 as the plain format plus the range flag.
            const bool fullRange =
                frame_->format == AV_PIX_FMT_YUVJ422P || frame_->format == AV_PIX_FMT_YUVJ420P;
            AVPixelFormat format = AVPixelFormat(frame_->format);
            if (format == AV_PIX_FMT_YUVJ422P)
                format = AV_PIX_FMT_YUV422P;
            if (format == AV_PIX_FMT_YUVJ420P)
                format = AV_PIX_FMT_YUV420P;
            sws_ = sws_getContext(frame_->width, frame_->height, format, shown_.width(), shown_.height(),
                                  AV_PIX_FMT_BGRA, swsFlags_, nullptr, nullptr, nullptr);
            int* inverse = nullptr;
            int* table = nullptr;
            int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
            if (sws_getColorspaceDetails(sws_, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast,
                                         &saturation) >= 0)
                sws_setColorspaceDetails(sws_, inverse, fullRange ? 1 : 0, table, dstRange, brightness,
                                         contrast, saturation);
        }
        uint8_t* planes[4] = {picture_.data(), nullptr, nullptr, nullptr};
        int strides[4] = {shown_.width() * 4, 0, 0, 0};
        sws_scale(sws_, frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
        av_frame_unref(frame_);
        return true;
    }

private:
    QSize shown_;
    int swsFlags_;
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* sws_ = nullptr;
    std::vector<uint8_t> picture_;
};

struct Figures {
    double median = 0;
    double p99 = 0;
};

Figures figuresOf(const std::vector<double>& samples) {
    return Figures{percentile(samples, 0.5), percentile(samples, 0.99)};
}

Figures baselineCost(const TestFrames& frames, QSize shown, int swsFlags, int count) {
    std::vector<std::vector<uint8_t>> padded;
    for (const auto& jpeg : frames.jpegs) {
        padded.push_back(jpeg);
        padded.back().resize(jpeg.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    }
    LibavDecodeAndScale baseline(shown, swsFlags);
    std::vector<double> cpu;
    for (int i = -10; i < count; ++i) {
        const size_t which = size_t(std::max(i, 0)) % padded.size();
        const double start = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        if (!baseline.run(padded[which], frames.jpegs[which].size()))
            std::fprintf(stderr, "libavcodec did not decode a frame\n");
        if (i >= 0)
            cpu.push_back(cpuMs(CLOCK_PROCESS_CPUTIME_ID) - start);
    }
    return figuresOf(cpu);
}

// --- the floor -------------------------------------------------------------------------

// What no JPEG decoder gets below, whatever size it makes the picture: reading the
// entropy-coded data. libjpeg-turbo reads every coefficient of the frame into memory and
// makes no picture; a decoder at 1/8 scale does this and one sample a block more.
class EntropyFloor {
public:
    EntropyFloor() {
        jpeg_.err = jpeg_std_error(&errors_);
        jpeg_create_decompress(&jpeg_);
    }
    ~EntropyFloor() { jpeg_destroy_decompress(&jpeg_); }
    EntropyFloor(const EntropyFloor&) = delete;
    EntropyFloor& operator=(const EntropyFloor&) = delete;

    // The process's CPU time for reading one frame's coefficients.
    double measure(const std::vector<uint8_t>& data) {
        const double start = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        jpeg_mem_src(&jpeg_, data.data(), static_cast<unsigned long>(data.size()));
        jpeg_read_header(&jpeg_, TRUE);
        jpeg_read_coefficients(&jpeg_);
        jpeg_finish_decompress(&jpeg_);
        return cpuMs(CLOCK_PROCESS_CPUTIME_ID) - start;
    }

private:
    jpeg_decompress_struct jpeg_{};
    jpeg_error_mgr errors_{};
};

// --- the window --------------------------------------------------------------------------

// Times every event the GUI thread dispatches while recording: the GUI thread is stalled
// for as long as one event takes.
class TimedApplication : public QApplication {
public:
    struct Dispatch {
        Clock::time_point start;
        double ms;     // wall time
        double cpuMs;  // the GUI thread's CPU time: the wall time less any wait for a core
        int type;
    };
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (!recording || QThread::currentThread() != thread() || depth_ > 0)
            return QApplication::notify(receiver, event);
        ++depth_;
        const int type = int(event->type());
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const bool result = QApplication::notify(receiver, event);
        dispatches.push_back(
            Dispatch{start, msSince(start), cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpuStart, type});
        --depth_;
        return result;
    }

    bool recording = false;
    std::vector<Dispatch> dispatches;

private:
    int depth_ = 0;
};

// Waits, without spinning, until the label has painted the picture of the frame handed
// over last: a picture the decoder finished after the call to wait() began. A late picture
// of an earlier frame does not count, or every wait would end one frame early.
class PaintWaiter : public QObject {
public:
    explicit PaintWaiter(CustomImageLabel* label) : label_(label) {
        label->installEventFilter(this);
        connect(label, &CustomImageLabel::pictureShown, this,
                [this] { shown_ = label_->decoder().picturesMade() >= target_; });
        timeout_.setSingleShot(true);
        connect(&timeout_, &QTimer::timeout, &loop_, &QEventLoop::quit);
    }
    // made: the decoder's count of pictures before the frame was handed over.
    bool wait(int timeoutMs, uint64_t made) {
        target_ = made + 1;
        shown_ = false;
        painted_ = false;
        timeout_.start(timeoutMs);
        loop_.exec();
        timeout_.stop();
        return painted_;
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (shown_ && event->type() == QEvent::Paint) {
            shown_ = false;
            painted_ = true;
            // Quits once this paint and the flush that follows it are done.
            QMetaObject::invokeMethod(
                &loop_, [this] { loop_.quit(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    CustomImageLabel* label_;
    QEventLoop loop_;
    QTimer timeout_;
    uint64_t target_ = 0;
    bool shown_ = false;
    bool painted_ = false;
};

// A main window connected to the simulated camera streaming MJPG at the frames' size, with
// the camera's own delivery stopped: the bench writes the frames into the store itself.
struct WindowRig {
    std::shared_ptr<device::sim::SimCamera> camera;
    std::unique_ptr<mainwindow> window;

    bool open(QSize size) {
        AppConfig& config = appConfig();
        config.defaultWidth = size.width();
        config.defaultHeight = size.height();
        config.defaultFps = 30;
        camera = device::sim::installSimulatedCamera();
        window = std::make_unique<mainwindow>();
        window->show();
        for (int round = 0; round < 200 && !window->windowHandle()->isExposed(); ++round) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        window->connectCamera();
        if (!window->session().stream().isOpen() || currentValues().resolution.format != "MJPG" ||
            currentValues().resolution.width != size.width()) {
            std::fprintf(stderr, "stream open %d, format \"%s\", width %d (is libProjectCustomize built?)\n",
                         window->session().stream().isOpen(), currentValues().resolution.format.c_str(),
                         currentValues().resolution.width);
            return false;
        }
        camera->setNeverDeliverFrames(true);
        QThread::msleep(100);
        window->updateImage();  // takes what the camera delivered before
        // ... and shows it, before the bench hands over frames of its own.
        for (int round = 0; round < 400 && !label()->decoder().idle(); ++round)
            QThread::msleep(5);
        QCoreApplication::processEvents();
        return true;
    }

    void close() {
        window.reset();
        SettingTaskEngine::instance().deleteCamera();
        UVCXUManager::instance().setEnableCommand(false);
        camera.reset();
    }

    CustomImageLabel* label() const { return window->form().streamLabel; }

    // What the camera's streaming thread does with a sample.
    void feed(const std::vector<uint8_t>& jpeg, double seconds) {
        ewc_slot(window->session().stream().camera().openNum())
            .callback->BufferCB(seconds, jpeg.data(), long(jpeg.size()));
    }
};

// Per frame, the window's cost and, right after it on the same frame, the floor: the two
// see the same machine (another process's load, the caches, the clock), so their ratio
// holds still where figures measured one after the other would drift apart.
struct WindowCost {
    std::vector<double> cpu, guiCpu, wall, floor;
    int missed = 0;
    double floorRatio() const { return percentile(cpu, 0.5) / percentile(floor, 0.5); }
    void add(const WindowCost& other) {
        for (auto [to, from] : {std::pair{&cpu, &other.cpu}, std::pair{&guiCpu, &other.guiCpu},
                                std::pair{&wall, &other.wall}, std::pair{&floor, &other.floor}})
            to->insert(to->end(), from->begin(), from->end());
        missed += other.missed;
    }
};

// count frames after a warm-up of 10 that are not counted.
WindowCost windowCost(WindowRig& rig, const TestFrames& frames, int count, EntropyFloor& floor) {
    PaintWaiter waiter(rig.label());
    WindowCost cost;
    for (int i = -10; i < count; ++i) {
        const std::vector<uint8_t>& jpeg = frames.jpegs[size_t(std::max(i, 0)) % frames.jpegs.size()];
        rig.feed(jpeg, (i + 10) / 30.0);
        const double cpuStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const double guiStart = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const Clock::time_point wallStart = Clock::now();
        const uint64_t made = rig.label()->decoder().picturesMade();
        rig.window->updateImage();
        const bool painted = waiter.wait(2000, made);
        const double cpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        const double gui = cpuMs(CLOCK_THREAD_CPUTIME_ID) - guiStart;
        const double wall = msSince(wallStart);
        const double floorCpu = floor.measure(jpeg);
        if (i < 0)
            continue;
        if (!painted)
            ++cost.missed;
        cost.cpu.push_back(cpu);
        cost.guiCpu.push_back(gui);
        cost.wall.push_back(wall);
        cost.floor.push_back(floorCpu);
    }
    return cost;
}

// Fidelity of the shown picture, the lowest PSNR over the frames: against a full decode of
// the same frame stretched to the shown size with the same fast transformation, against
// the ideal picture (the full decode area-averaged to that size), and, for comparison,
// the full decode shown with the fast transformation against that ideal.
struct Fidelity {
    double againstNearest = 1e9;
    double againstIdeal = 1e9;
    double fullNearestAgainstIdeal = 1e9;
    int missed = 0;  // frames whose picture was not painted in time: compared is the one before
    QSize picture;   // the shown picture's size: the box's, or a few percent less (centred)
};

Fidelity fidelity(WindowRig& rig, const TestFrames& frames) {
    PaintWaiter waiter(rig.label());
    Fidelity lowest;
    for (size_t i = 0; i < frames.jpegs.size(); ++i) {
        rig.feed(frames.jpegs[i], 100.0 + double(i));
        const uint64_t made = rig.label()->decoder().picturesMade();
        rig.window->updateImage();
        if (!waiter.wait(2000, made))
            ++lowest.missed;
        const QImage shown = rig.label()->shownPicture().toImage();
        lowest.picture = shown.size();
        const QImage full = QImage::fromData(frames.jpegs[i].data(), int(frames.jpegs[i].size()), "JPG");
        const QImage nearest = full.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QImage ideal = full.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        lowest.againstNearest = std::min(lowest.againstNearest, psnr(shown, nearest));
        lowest.againstIdeal = std::min(lowest.againstIdeal, psnr(shown, ideal));
        lowest.fullNearestAgainstIdeal = std::min(lowest.fullNearestAgainstIdeal, psnr(nearest, ideal));
    }
    return lowest;
}

struct Stall {
    Figures perFrame;
    Figures perFrameCpu;
    double max = 0;
    int maxType = 0;
    int shown = 0;
    double coreShare = 0;  // process CPU / wall time over the run
};

Stall guiStall(TimedApplication& app, WindowRig& rig, const TestFrames& frames, int count) {
    int shown = 0;
    QObject::connect(rig.label(), &CustomImageLabel::pictureShown, rig.label(), [&shown] { ++shown; });
    const auto period = std::chrono::microseconds(1000000 / 30);
    const Clock::time_point start = Clock::now() + std::chrono::milliseconds(100);
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (int k = 0; k < count; ++k) {
            std::this_thread::sleep_until(start + period * k);
            rig.feed(frames.jpegs[size_t(k) % frames.jpegs.size()], k / 30.0);
        }
        std::this_thread::sleep_until(start + period * count);
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(20);
    app.dispatches.clear();
    app.dispatches.reserve(size_t(count) * 40);
    const double cpuStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const Clock::time_point wallStart = Clock::now();
    app.recording = true;
    loop.exec();
    app.recording = false;
    const double cpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    const double wall = msSince(wallStart);
    feeder.join();

    Stall stall;
    std::vector<double> longest(size_t(count), 0.0);
    std::vector<double> longestCpu(size_t(count), 0.0);
    for (const TimedApplication::Dispatch& d : app.dispatches) {
        if (d.start < start)
            continue;
        const auto k = size_t((d.start - start) / period);
        if (k >= longest.size())
            continue;
        longest[k] = std::max(longest[k], d.ms);
        longestCpu[k] = std::max(longestCpu[k], d.cpuMs);
        if (d.ms > stall.max) {
            stall.max = d.ms;
            stall.maxType = d.type;
        }
    }
    stall.perFrame = figuresOf(longest);
    stall.perFrameCpu = figuresOf(longestCpu);
    stall.shown = shown;
    stall.coreShare = cpu / wall;
    return stall;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setLogEcho(false);
    av_log_set_level(AV_LOG_ERROR);
    TimedApplication app(argc, argv);
    const int costFrames = intOption(argc, argv, "--frames", 300);
    const int rounds = std::max(1, intOption(argc, argv, "--rounds", 5));
    const int stallFrames = intOption(argc, argv, "--stall-frames", 1000);

    std::vector<std::string> ratios;
    std::vector<std::string> floorRatios;
    for (const QSize size : {QSize(3520, 1104), QSize(1920, 1080)}) {
        const TestFrames frames = makeFrames(size, 4);
        WindowRig rig;
        if (!rig.open(size)) {
            std::fprintf(stderr, "the window did not open the %dx%d stream\n", size.width(), size.height());
            return 1;
        }
        // Rounds of paired frames, each after its own warm-up; the ratio is the median of
        // the rounds' ratios, with their spread beside it.
        EntropyFloor floorMeter;
        WindowCost cost;
        std::vector<double> roundRatios;
        for (int round = 0; round < rounds; ++round) {
            const WindowCost part = windowCost(rig, frames, std::max(1, costFrames / rounds), floorMeter);
            roundRatios.push_back(part.floorRatio());
            cost.add(part);
        }
        const Figures cpu = figuresOf(cost.cpu);
        const Figures floor = figuresOf(cost.floor);
        const QSize shown = rig.label()->shownSize();
        const Fidelity quality = fidelity(rig, frames);
        const Figures point = baselineCost(frames, shown, SWS_POINT, costFrames);
        const Figures bilinear = baselineCost(frames, shown, SWS_FAST_BILINEAR, costFrames);
        const Figures baseline = point.median <= bilinear.median ? point : bilinear;
        const Stall stall = guiStall(app, rig, frames, stallFrames);
        rig.close();

        std::printf("== %dx%d MJPG 4:2:2, %zu frames of %.0f KB (quality %d); shown at %dx%d\n", size.width(),
                    size.height(), frames.jpegs.size(), frames.meanKB(), frames.quality, shown.width(),
                    shown.height());
        std::printf(
            "window path, CPU per frame:        median %6.2f ms  p99 %6.2f ms  (GUI thread %.2f ms)\n",
            cpu.median, cpu.p99, percentile(cost.guiCpu, 0.5));
        std::printf("window path, wall per frame:       median %6.2f ms  p99 %6.2f ms  (not painted: %d)\n",
                    percentile(cost.wall, 0.5), percentile(cost.wall, 0.99), cost.missed);
        std::printf("libavcodec + libswscale nearest:   median %6.2f ms  p99 %6.2f ms\n", point.median,
                    point.p99);
        std::printf("libavcodec + libswscale bilinear:  median %6.2f ms  p99 %6.2f ms\n", bilinear.median,
                    bilinear.p99);
        std::printf(
            "GUI thread stall per frame at 30 fps, %d frames: p50 %.2f ms  p99 %.2f ms  max %.2f ms "
            "(event type %d); %d frames shown; process at %.0f %% of a core\n",
            stallFrames, stall.perFrame.median, stall.perFrame.p99, stall.max, stall.maxType, stall.shown,
            stall.coreShare * 100.0);
        std::printf(
            "  the same in GUI-thread CPU time (without waits for a core): p50 %.2f ms  p99 %.2f ms\n",
            stall.perFrameCpu.median, stall.perFrameCpu.p99);
        std::printf(
            "PSNR, lowest of the frames: shown vs full decode scaled the same way %.1f dB; shown vs "
            "ideal (full decode area-averaged) %.1f dB, full decode scaled the same way vs ideal %.1f dB\n",
            quality.againstNearest, quality.againstIdeal, quality.fullNearestAgainstIdeal);
        std::printf("  (the picture painted unscaled: %dx%d, in the box of %dx%d)\n", quality.picture.width(),
                    quality.picture.height(), shown.width(), shown.height());
        if (quality.missed > 0)
            std::printf("  (%d frames not painted in time: their PSNR compares the picture before)\n",
                        quality.missed);
        std::printf(
            "floor, entropy decoding alone (libjpeg-turbo, no picture): median %6.2f ms = %.3f of the "
            "baseline\n",
            floor.median, floor.median / baseline.median);
        char line[200];
        std::snprintf(line, sizeof line, "ratio %dx%d: window %.2f ms / libavcodec+libswscale %.2f ms = %.3f",
                      size.width(), size.height(), cpu.median, baseline.median, cpu.median / baseline.median);
        ratios.push_back(line);
        std::printf("floor ratio per round (%d rounds of %d frames, each frame's floor read right after it):",
                    rounds, std::max(1, costFrames / rounds));
        for (const double ratio : roundRatios)
            std::printf(" %.3f", ratio);
        std::printf("\n");
        std::snprintf(line, sizeof line, "floor ratio %dx%d: %.3f", size.width(), size.height(),
                      percentile(roundRatios, 0.5));
        floorRatios.push_back(line);
        std::fflush(stdout);
    }
    for (const std::string& line : ratios)
        std::printf("%s\n", line.c_str());
    for (const std::string& line : floorRatios)
        std::printf("%s\n", line.c_str());
    return 0;
}
