#include "firmware/block_transfer.h"

#include <chrono>
#include <vector>

#include "base/debug_log.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_payloads.h"

namespace {
constexpr int kStatusBlockStored = 5;
constexpr int kStatusImageStored = 6;
constexpr int kPacketsPerBlockUnit = 16;
}  // namespace

template <typename Call>
auto BlockTransfer::timed(Call call) -> decltype(call()) {
    const auto start = std::chrono::steady_clock::now();
    auto answer = call();
    const auto spent = std::chrono::steady_clock::now() - start;
    calls_.fetch_add(1, std::memory_order_relaxed);
    nanoseconds_.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count(),
                           std::memory_order_relaxed);
    return answer;
}

void BlockTransfer::resetStats() {
    calls_ = 0;
    nanoseconds_ = 0;
}

bool BlockTransfer::sendInfo(uint8_t kind, int count) {
    const auto info = makeXuTransferInfo(kind, count);
    const bool ok = timed([&] { return UVCXUManager::instance().setTransferDataInfo(info.data()); });
    debugLog("setTransferDataInfo res: %d\n", ok);
    return ok;
}

bool BlockTransfer::sendPacket(QFile& file, int offset, int n) {
    const int transferSize = transferSize_.load();
    std::vector<uint8_t> data(size_t(n > 0 ? n : 0));
    if (n > 0 && file.read(reinterpret_cast<char*>(data.data()), n) != n) {
        debugLog("transferFileByXU read failed: %d\n", n);
        return false;
    }
    debugLog("transferFileByXU startPos: %d\n", offset);
    debugLog("transferFileByXU size: %d\n", n);
    const std::vector<uint8_t> packet =
        makeXuTransferPacket(offset, data.data(), uint32_t(n), uint32_t(transferSize));
    bool ok = !packet.empty();
    if (ok) {
        ok = timed(
            [&] { return UVCXUManager::instance().setTransferData(packet.data(), uint32_t(packet.size())); });
    }
    debugLog("setTransferData res: %d\n", ok);
    return ok;
}

bool BlockTransfer::infoStatusFine() {
    const int status = timed([&] { return UVCXUManager::instance().getTransferDataInfoSatatus(); });
    debugLog("getTransferDataInfoSatatus status: %d\n", status);
    return status == 0;
}

bool BlockTransfer::storeBlock(int size) {
    // False when the camera was not ready or did not take the request: the update then
    // ends as failed.
    if (!infoStatusFine() || !closeBlock(size))
        return false;
    const bool started = timed([&] { return UVCXUManager::instance().startReadPartialFile(uint32_t(size)); });
    debugLog("startReadPartialFile res: %d\n", started);
    return started;
}

bool BlockTransfer::sendFile(QFile& file, int fileSize) {
    const int chunk = transferSize_.load() - 8;
    const int64_t unit = int64_t(kPacketsPerBlockUnit) * chunk;
    const int block = int((minBlockBytes_.load() + unit - 1) / unit * unit);
    debugLog("FwPartialSize: %d\n", block);
    debugLog("fullSize: %d\n", fileSize);

    auto reportProgress = [&](qint64 pos) { hooks_.progress(double(pos) / fileSize * 100.0); };
    if (!file.seek(0))
        return false;
    qint64 pos = 0;
    int offset = 0;
    bool ok = true;
    auto going = [&] { return ok && hooks_.going(); };
    // One full packet at offset in the block; the progress moves when it went through.
    auto sendFullPacket = [&] {
        ok = sendPacket(file, offset, chunk);
        offset += chunk;
        if (ok) {
            pos = file.pos();
            reportProgress(pos);
        }
    };
    while (pos != fileSize && going()) {
        const qint64 remaining = fileSize - pos;
        int expected = 0;
        if (remaining > block) {
            ok = announceBlock(block) && ok;
            if (!infoStatusFine())
                return false;
            while (offset < block && going())
                sendFullPacket();
            offset = 0;
            if (!going())
                break;
            if (!storeBlock(block))
                return false;
            expected = kStatusBlockStored;
        } else {
            const int last = int(remaining);
            ok = announceBlock(last) && ok;
            if (!infoStatusFine())
                return false;
            while (fileSize - pos >= chunk && going())
                sendFullPacket();
            if (!going())
                break;
            const int rest = int(fileSize - pos);
            debugLog("finalSize: %d\n", rest);
            debugLog("pos: %d\n", int(pos));
            ok = sendPacket(file, offset, rest);
            if (!ok)
                break;
            pos = file.pos();
            reportProgress(pos);
            if (!storeBlock(last))
                return false;
            expected = kStatusImageStored;
        }
        ok = timed([&] { return hooks_.awaitStatus(expected); }) && ok;
        debugLog("checkCameraStatus: %d\n", ok);
    }
    return going();
}
