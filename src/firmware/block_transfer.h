#pragma once
// The image's way into the camera: blocks, each announced with a transfer info block,
// filled with packets of transferSize - 8 data bytes and stored by the camera before the
// next one. The header check sends its one header packet through the same calls.
//
// Threads: one run at a time, on the update thread (the header check on the caller's).
// The statistics are atomic and may be read from any thread.
#include <QFile>
#include <atomic>
#include <cstdint>
#include <functional>

class BlockTransfer {
public:
    // What the transfer asks of the update around it.
    struct Hooks {
        std::function<bool()> going;           // false once cancelled, stopped, or the camera left
        std::function<bool(int)> awaitStatus;  // waits until the camera's status is the given one
        std::function<void(double)> progress;  // the file's part sent so far, 0 to 100
    };

    // Time spent in extension-unit calls since the last resetStats.
    struct Stats {
        long long calls = 0;
        long long nanoseconds = 0;
    };

    explicit BlockTransfer(Hooks hooks) : hooks_(std::move(hooks)) {}

    void setTransferSize(int size) { transferSize_ = size; }
    int transferSize() const { return transferSize_.load(); }
    // A block is the smallest multiple of 16 packets holding at least this many bytes.
    void setMinBlockBytes(uint32_t bytes) { minBlockBytes_ = bytes; }

    // Announces a block of count bytes, or closes it; false on failure.
    bool announceBlock(int count) { return sendInfo(2, count); }
    bool closeBlock(int count) { return sendInfo(0, count); }
    // One packet of n data bytes read from the file's position, at offset in its block.
    bool sendPacket(QFile& file, int offset, int n);
    // The whole open file, block after block; false on failure, cancel or a camera gone.
    bool sendFile(QFile& file, int fileSize);

    void resetStats();
    Stats stats() const { return Stats{calls_.load(), nanoseconds_.load()}; }

private:
    // The transfer info block of kind 2 (announce) or 0 (close).
    bool sendInfo(uint8_t kind, int count);
    // Runs one extension-unit call and counts its time into the statistics.
    template <typename Call>
    auto timed(Call call) -> decltype(call());
    // The camera is ready for the next block: its transfer info status is 0.
    bool infoStatusFine();
    // The end of a block of size bytes: the camera, once ready, is told to store it.
    bool storeBlock(int size);

    Hooks hooks_;
    std::atomic<int> transferSize_{0};
    std::atomic<uint32_t> minBlockBytes_{0xA00000};
    std::atomic<long long> calls_{0};
    std::atomic<long long> nanoseconds_{0};
};
