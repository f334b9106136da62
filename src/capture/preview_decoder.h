#pragma once
// The preview's decoder thread: turns the newest frame into the picture at the size the
// preview shows it, away from the GUI thread. Frames never queue: a frame handed in while
// the thread is busy replaces the one still waiting, and a picture that the GUI thread
// has not taken yet is replaced by the next one, so a slow machine shows the newest
// frame, never an old one. pictureReady is emitted once for any number of pictures until
// takePicture collects the newest.
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

class PreviewJpegDecoder;

// One frame for the preview: a JPEG, or else an RGB32 picture.
struct PreviewFrame {
    QByteArray jpeg;
    QImage picture;
    QSize shown;  // device pixels the picture is shown at; empty: the frame's own size
};

// A frame ready to show: the picture at the shown size and the frame's own size.
struct PreviewPicture {
    QImage image;
    QSize frameSize;
};

class PreviewDecoder : public QObject {
    Q_OBJECT
public:
    explicit PreviewDecoder(QObject* parent = nullptr);
    ~PreviewDecoder() override;  // stops and joins the thread

    // Any thread. Hands a frame over; it replaces a frame not yet started.
    void submit(PreviewFrame frame);
    // The newest finished picture, once; nothing when none arrived since the last call.
    std::optional<PreviewPicture> takePicture();
    // Forgets the waiting frame, the finished picture and the one in work: nothing handed
    // in before this call comes out after it.
    void discard();
    // Frames turned into pictures since the start (for tests and measurements).
    uint64_t picturesMade() const;
    // No frame waits or is in work, and no finished picture waits to be taken.
    bool idle() const;

signals:
    void pictureReady();

private:
    void run();
    static PreviewPicture makePicture(const PreviewFrame& frame, PreviewJpegDecoder& jpeg);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<PreviewFrame> waiting_;
    std::optional<PreviewPicture> finished_;
    uint64_t generation_ = 0;  // raised by discard
    uint64_t picturesMade_ = 0;
    bool working_ = false;
    bool notified_ = false;  // pictureReady sent and the picture not yet taken
    bool stopping_ = false;
    std::thread thread_;
};
