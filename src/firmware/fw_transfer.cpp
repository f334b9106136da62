// The block transfer of runUpdate: the image goes to the camera in blocks, each announced
// with a transfer info block, filled with packets and stored by the camera before the next.
#include <QFile>
#include <vector>

#include "base/debug_log.h"
#include "firmware/update_fw_by_usb_func.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_payloads.h"

namespace {
constexpr int kStatusBlockStored = 5;
constexpr int kStatusImageStored = 6;
constexpr int kPacketsPerBlockUnit = 16;
}  // namespace

template <typename Call>
auto UpdateFWbyUsbFunc::timed(Call call) -> decltype(call()) {
    const auto start = std::chrono::steady_clock::now();
    auto answer = call();
    const auto spent = std::chrono::steady_clock::now() - start;
    statsCalls_.fetch_add(1, std::memory_order_relaxed);
    statsNanoseconds_.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count(),
                                std::memory_order_relaxed);
    return answer;
}

bool UpdateFWbyUsbFunc::sendTransferInfo(uint8_t kind, int count) {
    const auto info = makeXuTransferInfo(kind, count);
    const bool ok = timed([&] { return UVCXUManager::instance().setTransferDataInfo(info.data()); });
    debugLog("setTransferDataInfo res: %d\n", ok);
    return ok;
}

bool UpdateFWbyUsbFunc::transferFileByXU(QFile& file, int offset, int n) {
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

bool UpdateFWbyUsbFunc::transferPartialFile(QFile& file, int fileSize) {
    UVCXUManager& xu = UVCXUManager::instance();
    const int chunk = transferSize_.load() - 8;
    const int64_t unit = int64_t(kPacketsPerBlockUnit) * chunk;
    const int block = int((timing_.minBlockBytes + unit - 1) / unit * unit);
    debugLog("FwPartialSize: %d\n", block);
    debugLog("fullSize: %d\n", fileSize);

    auto infoStatusFine = [&] {
        const int status = timed([&] { return xu.getTransferDataInfoSatatus(); });
        debugLog("getTransferDataInfoSatatus status: %d\n", status);
        return status == 0;
    };
    auto reportProgress = [&](qint64 pos) { emit updateProgress(double(pos) / fileSize * 100.0); };
    // The end of a block of size bytes: the camera, once ready, is told to store it. False
    // when it was not ready or did not take the request; the update then ends as failed.
    auto storeBlock = [&](int size) {
        if (!infoStatusFine() || !sendTransferInfo(0, size))
            return false;
        const bool started = timed([&] { return xu.startReadPartialFile(uint32_t(size)); });
        debugLog("startReadPartialFile res: %d\n", started);
        return started;
    };

    if (!file.seek(0))
        return false;
    qint64 pos = 0;
    int offset = 0;
    bool ok = true;
    auto going = [&] { return !cancelled() && ok && !deviceMissed.load(); };
    // One full packet at offset in the block; the progress moves when it went through.
    auto sendPacket = [&] {
        ok = transferFileByXU(file, offset, chunk);
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
            ok = sendTransferInfo(2, block) && ok;
            if (!infoStatusFine())
                return false;
            while (offset < block && going())
                sendPacket();
            offset = 0;
            if (!going())
                break;
            if (!storeBlock(block))
                return false;
            expected = kStatusBlockStored;
        } else {
            const int last = int(remaining);
            ok = sendTransferInfo(2, last) && ok;
            if (!infoStatusFine())
                return false;
            while (fileSize - pos >= chunk && going())
                sendPacket();
            if (!going())
                break;
            const int rest = int(fileSize - pos);
            debugLog("finalSize: %d\n", rest);
            debugLog("pos: %d\n", int(pos));
            ok = transferFileByXU(file, offset, rest);
            if (!ok)
                break;
            pos = file.pos();
            reportProgress(pos);
            if (!storeBlock(last))
                return false;
            expected = kStatusImageStored;
        }
        ok = timed([&] { return checkCameraStatus(expected); }) && ok;
        debugLog("checkCameraStatus: %d\n", ok);
    }
    return going();
}
