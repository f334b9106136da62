// The frame call-back and the one-frame store: the H264 lag rule, the bottom-up copy of
// converted frames, samples that do not fit, and the store shared between a streaming
// thread and the reader.
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "capture/capture_slots.h"
#include "capture/sample_grabber_cb.h"
#include "device/device_port.h"
#include "support/log_capture.h"

namespace {
constexpr int kSlot = 3;

// A slot that looks running: request, buffer and call-back as the stream open leaves them.
ewc_SampleGrabberCB& prepareSlot(int width, int height, const device::Guid& native,
                                 const device::Guid& output) {
    ewc_resetSlotTable();
    CaptureSlot& slot = ewc_slot(kSlot);
    slot.inUse = 1;
    slot.width = width;
    slot.height = height;
    slot.nativeSubtype = native;
    slot.outputSubtype = output;
    slot.store.buffer.assign(size_t(width) * size_t(height) * 4, 0);
    slot.callback = std::make_unique<ewc_SampleGrabberCB>(kSlot);
    return *slot.callback;
}

FrameStore storeCopy() {
    std::lock_guard<std::mutex> lock(ewc_slotMutex(kSlot));
    return ewc_slot(kSlot).store;
}

// Feeds frame k at stream time k x 33 ms with the given lag of wall-clock time.
struct LagFeeder {
    uint32_t now = 0;
    std::vector<uint8_t> sample = std::vector<uint8_t>(64, 0xAB);
    int k = 0;
    void feed(ewc_SampleGrabberCB& cb, int lagMs) {
        const int streamMs = k * 33;
        now = 100000 + uint32_t(streamMs + lagMs);
        cb.BufferCB(streamMs / 1000.0, sample.data(), long(sample.size()));
        ++k;
    }
};
}  // namespace

class FrameStoreTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        device::setTickSource(nullptr);
        ewc_resetSlotTable();
    }

    void lagJump_data() {
        QTest::addColumn<bool>("h264");
        QTest::newRow("H264 drops the burst and twenty more") << true;
        QTest::newRow("MJPG never skips") << false;
    }
    void lagJump() {
        QFETCH(bool, h264);
        ewc_SampleGrabberCB& cb = h264 ? prepareSlot(8, 2, device::kSubtypeH264, device::kSubtypeRGB32)
                                       : prepareSlot(8, 2, device::kSubtypeMJPG, device::kSubtypeNull);
        LagFeeder feeder;
        device::setTickSource([&feeder] { return feeder.now; });
        LogCapture log;

        feeder.feed(cb, 0);  // sets the time base
        feeder.feed(cb, 40);
        QCOMPARE(cb.lastDiffer, 40);
        feeder.feed(cb, 600);
        feeder.feed(cb, 620);  // still lagging: dropped again, the count starts over
        for (int i = 0; i < 20; ++i)
            feeder.feed(cb, 45);
        if (!h264) {
            QCOMPARE(storeCopy().frameCounter, 24u);
            QVERIFY(!log.contains("Skip Frame!!"));
            return;
        }
        QCOMPARE(storeCopy().frameCounter, 2u);
        QCOMPARE(cb.lastDiffer, 40);
        feeder.feed(cb, 45);  // the 21st after the lag came back
        QCOMPARE(storeCopy().frameCounter, 3u);
        QCOMPARE(storeCopy().storedCounter, 3u);
        QCOMPARE(cb.lastDiffer, 45);
    }

    // A buffer allocated at open reads as zeros, small (from the heap) or large (mapped),
    // also where an earlier buffer of the same size held a frame.
    void freshBuffersAreZero_data() {
        QTest::addColumn<int>("bytes");
        QTest::newRow("small") << 4000;
        QTest::newRow("3520 x 1104 x 4") << 3520 * 1104 * 4;
    }

    void freshBuffersAreZero() {
        QFETCH(int, bytes);
        for (int round = 0; round < 2; ++round) {
            FrameBytes buffer = zeroedFrameBytes(size_t(bytes));
            QCOMPARE(buffer.size(), size_t(bytes));
            QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0; }));
            std::memset(buffer.data(), 0xA5, buffer.size());  // a frame, before the next open
        }
    }

    void aLengthThatIsNotWholeRowsStaysInsideTheBuffers() {
        // 3 rows of 4 pixels: 48 bytes of buffer. A 10-byte sample has rows of 3 bytes.
        ewc_SampleGrabberCB& cb = prepareSlot(4, 3, device::kSubtypeYUY2, device::kSubtypeRGB32);
        const std::vector<uint8_t> sample = {1, 1, 1, 2, 2, 2, 3, 3, 3, 9};
        cb.BufferCB(0.0, sample.data(), long(sample.size()));
        const FrameStore store = storeCopy();
        QCOMPARE(store.frameSize, 10u);
        const std::vector<uint8_t> expected = {3, 3, 3, 2, 2, 2, 1, 1, 1, 0};
        QVERIFY(std::equal(expected.begin(), expected.end(), store.buffer.begin()));
        // Fewer bytes than rows: nothing is copied, nothing is read past the sample.
        const uint8_t two[2] = {7, 7};
        cb.BufferCB(0.1, two, 2);
        QCOMPARE(storeCopy().buffer[0], uint8_t(3));
    }

    void samplesThatDoNotFitAreDropped() {
        ewc_SampleGrabberCB& cb = prepareSlot(4, 2, device::kSubtypeMJPG, device::kSubtypeNull);
        LogCapture log;
        std::vector<uint8_t> fits(32);
        std::iota(fits.begin(), fits.end(), uint8_t(1));
        cb.BufferCB(0.0, fits.data(), long(fits.size()));  // native samples: copied unchanged
        std::vector<uint8_t> tooBig(33, 2);
        cb.BufferCB(0.033, tooBig.data(), long(tooBig.size()));
        cb.BufferCB(0.066, tooBig.data(), long(tooBig.size()));
        const FrameStore store = storeCopy();
        QCOMPARE(store.frameCounter, 1u);
        QCOMPARE(store.frameSize, 32u);
        QVERIFY(std::equal(fits.begin(), fits.end(), store.buffer.begin()));
        // The same on a converted stream; an empty sample is logged and counted.
        ewc_SampleGrabberCB& rgb = prepareSlot(4, 2, device::kSubtypeYUY2, device::kSubtypeRGB32);
        rgb.BufferCB(0.0, tooBig.data(), long(tooBig.size()));
        QCOMPARE(storeCopy().frameCounter, 0u);
        rgb.BufferCB(0.1, nullptr, 0);
        QCOMPARE(log.count("BufferCB lBufferSize(0)\n"), 1);
        QCOMPARE(storeCopy().frameSize, 0u);
        QCOMPARE(storeCopy().frameCounter, 1u);
    }

    void writerAndReaderShareTheStore() {
        // A streaming thread writes while this thread reads under the slot's lock; the
        // reader sees whole frames and every counter it sees only grows.
        ewc_SampleGrabberCB& cb = prepareSlot(16, 16, device::kSubtypeMJPG, device::kSubtypeNull);
        std::atomic<bool> done{false};
        std::thread writer([&cb, &done] {
            std::vector<uint8_t> sample(1024);
            for (int i = 0; i < 3000; ++i) {
                std::fill(sample.begin(), sample.end(), uint8_t(i));
                cb.BufferCB(i * 0.001, sample.data(), long(1 + i % 1024));
            }
            done = true;
        });
        uint32_t lastSeen = 0;
        std::vector<uint8_t> copy(1024);
        while (!done) {
            std::lock_guard<std::mutex> lock(ewc_slotMutex(kSlot));
            FrameStore& store = ewc_slot(kSlot).store;
            QVERIFY(store.storedCounter >= lastSeen);
            lastSeen = store.storedCounter;
            std::memcpy(copy.data(), store.buffer.data(), store.frameSize);
            if (store.frameSize > 0)
                QCOMPARE(copy[store.frameSize - 1], uint8_t(store.storedCounter - 1));
            store.lastReadCounter = store.storedCounter;
        }
        writer.join();
        QCOMPARE(storeCopy().frameCounter, 3000u);
    }
};

QTEST_GUILESS_MAIN(FrameStoreTest)
#include "tst_frame_store.moc"
