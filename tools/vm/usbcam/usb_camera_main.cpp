// lumora-usb-camera [--unplug-at-packet N] [--version TEXT]
// The Lumora X8 emulated on the USB wire: plugs itself into the kernel's virtual host
// controller (vhci_hcd) through a loopback TCP pair and serves the USB/IP requests from
// the simulated camera's model, so that the kernel's own drivers (uvcvideo) bind to it.
// Needs root, vhci-hcd loaded and the loopback up. LUMORA_SIM_SCRIPT applies as to the
// in-process camera (reboot=, reset-absence=, status=, flash-fails, no-frames).
// Signals: SIGUSR1 unplugs the camera, SIGUSR2 plugs it again, SIGHUP tells how many class
// requests reached the camera's units since the last SIGHUP, SIGTERM/SIGINT unplug and
// end. --unplug-at-packet N unplugs it after the Nth firmware data packet (selector 17)
// of the run and leaves it off. One line per event on standard output.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

#include "device/sim/sim_script.h"
#include "usb_camera.h"
#include "usbip_wire.h"

namespace {

using Clock = std::chrono::steady_clock;
using device::sim::ExtensionUnit;

volatile std::sig_atomic_t gUnplug = 0, gPlug = 0, gCount = 0, gQuit = 0;

void onSignal(int sig) {
    if (sig == SIGUSR1)
        gUnplug = 1;
    else if (sig == SIGUSR2)
        gPlug = 1;
    else if (sig == SIGHUP)
        gCount = 1;
    else
        gQuit = 1;
}

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
    std::printf("usb-camera: ");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

// Sends or receives exactly `length` bytes; false when the connection ended.
bool transferAll(int fd, uint8_t* bytes, size_t length, bool sending) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = sending ? ::send(fd, bytes + done, length - done, MSG_NOSIGNAL)
                                  : ::recv(fd, bytes + done, length - done, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}
bool writeAll(int fd, std::vector<uint8_t> bytes) {
    return transferAll(fd, bytes.data(), bytes.size(), true);
}
bool readAll(int fd, uint8_t* out, size_t length) {
    return transferAll(fd, out, length, false);
}

// A connected loopback TCP pair: the kernel takes `kernelEnd`, this process serves `ours`.
bool loopbackPair(int& ours, int& kernelEnd) {
    ours = kernelEnd = -1;
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bool ok = listener >= 0 && ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(listener, 1) == 0 &&
              ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    if (ok) {
        kernelEnd = ::socket(AF_INET, SOCK_STREAM, 0);
        ok = kernelEnd >= 0 &&
             ::connect(kernelEnd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    if (ok) {
        ours = ::accept(listener, nullptr, nullptr);
        ok = ours >= 0;
    }
    if (listener >= 0)
        ::close(listener);
    if (!ok) {
        if (kernelEnd >= 0)
            ::close(kernelEnd);
        if (ours >= 0)
            ::close(ours);
        ours = kernelEnd = -1;
    }
    return ok;
}

// Plugs the camera into a free high-speed port of vhci_hcd.0; the descriptor to serve,
// or -1. A port just left may still be busy for a moment: retried for a few seconds.
int plugIn() {
    for (int attempt = 0; attempt < 50 && !gQuit; ++attempt) {
        int ours = -1, kernelEnd = -1;
        if (!loopbackPair(ours, kernelEnd)) {
            say("no loopback TCP pair: %s (is the loopback up?)", std::strerror(errno));
            return -1;
        }
        for (int port = 0; port < 8; ++port) {
            FILE* attach = std::fopen("/sys/devices/platform/vhci_hcd.0/attach", "w");
            if (!attach) {
                say("cannot open vhci_hcd's attach file: %s", std::strerror(errno));
                ::close(ours);
                ::close(kernelEnd);
                return -1;
            }
            std::fprintf(attach, "%d %d %u %d", port, kernelEnd, 0x10002u, 3);
            const bool written = std::fclose(attach) == 0;
            if (written) {
                ::close(kernelEnd);  // the kernel holds its own reference
                say("plugged in on port %d", port);
                return ours;
            }
        }
        ::close(ours);
        ::close(kernelEnd);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    say("no free port on vhci_hcd.0");
    return -1;
}

struct PendingIn {
    usbcam::UsbipCommand cmd;
};

class Server {
public:
    Server(usbcam::UsbCamera& camera, const device::sim::SimScript& script, long unplugAtPacket)
        : camera_(camera), script_(script), unplugAtPacket_(unplugAtPacket) {}

    int run() {
        std::signal(SIGPIPE, SIG_IGN);
        struct sigaction action {};
        action.sa_handler = onSignal;  // no SA_RESTART: a signal ends the wait at once
        for (int sig : {SIGUSR1, SIGUSR2, SIGHUP, SIGTERM, SIGINT})
            sigaction(sig, &action, nullptr);
        if (!plug())
            return 1;
        while (!gQuit) {
            if (gUnplug) {
                gUnplug = 0;
                unplug("unplugged");
            }
            if (gPlug) {
                gPlug = 0;
                if (fd_ < 0 && !plug())
                    return 1;
            }
            if (gCount) {
                gCount = 0;
                say("unit requests: %ld to the terminal and processing unit, %ld to the extension unit",
                    standardRequests_, extensionRequests_);
                standardRequests_ = extensionRequests_ = 0;
            }
            if (fd_ < 0) {
                pause();
                continue;
            }
            if (!serveOnce())
                unplug("the host closed the connection");
        }
        unplug("unplugged at the end");
        say("%ld frames delivered", frames_);
        return 0;
    }

private:
    bool plug() {
        camera_.plugged();
        pending_.clear();
        fd_ = plugIn();
        return fd_ >= 0;
    }
    void unplug(const char* why) {
        if (fd_ < 0)
            return;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        fd_ = -1;
        pending_.clear();
        camera_.stream().stop();
        say("%s", why);
    }

    // Waits for a command or the next frame; false when the connection ended.
    bool serveOnce() {
        int timeoutMs = -1;
        if (camera_.stream().streaming() && !pending_.empty() && !script_.neverDeliverFrames) {
            deliver();
            if (fd_ < 0)
                return true;
            if (!cutter_.hasData()) {
                const auto wait =
                    std::chrono::duration_cast<std::chrono::milliseconds>(nextFrame_ - Clock::now());
                timeoutMs = int(std::max<long>(0, wait.count()));
            }
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0)
            return errno == EINTR;
        if (ready == 0)
            return true;
        uint8_t header[usbcam::kUsbipHeaderSize];
        if (!readAll(fd_, header, sizeof header))
            return false;
        usbcam::UsbipCommand cmd;
        if (!usbcam::parseCommand(header, cmd)) {
            say("a malformed command from the host");
            return false;
        }
        if (cmd.command == usbcam::kCmdUnlink)
            return takeBack(cmd);
        std::vector<uint8_t> out(cmd.outLength());
        if (!out.empty() && !readAll(fd_, out.data(), out.size()))
            return false;
        if (cmd.endpoint == 0)
            return control(cmd, out);
        if (cmd.endpoint == (usbcam::kStreamingEndpoint & 0x0F) && cmd.direction == usbcam::kDirIn) {
            pending_.push_back({cmd});
            return true;
        }
        return writeAll(fd_, usbcam::submitAnswer(cmd, usbcam::kStatusStall, nullptr, 0));
    }

    bool takeBack(const usbcam::UsbipCommand& cmd) {
        int32_t status = 0;  // already answered
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->cmd.seqnum == cmd.unlinkSeqnum) {
                pending_.erase(it);
                status = usbcam::kStatusUnlinked;
                break;
            }
        }
        return writeAll(fd_, usbcam::unlinkAnswer(cmd, status));
    }

    bool control(const usbcam::UsbipCommand& cmd, const std::vector<uint8_t>& out) {
        const bool firmwarePacket = cmd.setup[0] == 0x21 && cmd.setup[1] == usbcam::kSetCur &&
                                    cmd.setup[3] == 17 && cmd.setup[5] == usbcam::kExtensionUnitId;
        // Class requests to a unit of the video-control interface: the entity in wIndex's high byte.
        if ((cmd.setup[0] & 0x7F) == 0x21 && cmd.setup[5] != 0)
            ++(cmd.setup[5] == usbcam::kExtensionUnitId ? extensionRequests_ : standardRequests_);
        usbcam::ControlAnswer a = camera_.control(cmd.setup, out);
        const uint32_t done =
            cmd.direction == usbcam::kDirIn ? uint32_t(a.data.size()) : uint32_t(out.size());
        if (!writeAll(fd_, usbcam::submitAnswer(cmd, a.stall ? usbcam::kStatusStall : 0, a.data.data(),
                                                a.stall ? 0 : std::min<uint32_t>(done, cmd.length))))
            return false;
        if (camera_.stream().commits() != commits_) {
            commits_ = camera_.stream().commits();
            const usbcam::StreamFrame& f = camera_.stream().frame();
            say("stream %dx%d %s at %u00 ns", f.width, f.height, f.mjpeg ? "MJPEG" : "YUY2",
                camera_.stream().interval());
            nextFrame_ = Clock::now();
            cutter_ = usbcam::PayloadCutter();
        }
        if (firmwarePacket && !a.stall && unplugAtPacket_ > 0 && ++packets_ == unplugAtPacket_) {
            unplug("unplugged in the middle of the firmware transfer");
            return true;
        }
        if (a.action == ExtensionUnit::Action::RebootIntoFirmware) {
            unplug("rebooting into the new firmware");
            std::this_thread::sleep_for(std::chrono::milliseconds(script_.options.rebootAbsenceMs));
            camera_.model().xu.firmware().completeReboot();
            say("running firmware %s", camera_.model().xu.firmware().version().c_str());
            return plug();
        }
        if (a.action == ExtensionUnit::Action::RebootAfterReset && script_.options.resetAbsenceMs > 0) {
            unplug("restarting after the reset to factory defaults");
            std::this_thread::sleep_for(std::chrono::milliseconds(script_.options.resetAbsenceMs));
            return plug();
        }
        return true;
    }

    // Answers the waiting bulk transfers from the current frame, making the next one when due.
    void deliver() {
        while (!pending_.empty() && fd_ >= 0) {
            if (!cutter_.hasData()) {
                if (Clock::now() < nextFrame_)
                    return;
                const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
                cutter_.newFrame(camera_.renderFrame(frames_, seconds));
                ++frames_;
                nextFrame_ += std::chrono::microseconds(camera_.stream().interval() / 10);
                if (nextFrame_ < Clock::now())
                    nextFrame_ = Clock::now();
            }
            const usbcam::UsbipCommand cmd = pending_.front().cmd;
            pending_.pop_front();
            std::vector<uint8_t> payload(std::min<uint32_t>(cmd.length, usbcam::kPayloadSize));
            const size_t length = cutter_.next(payload.data(), payload.size());
            if (!writeAll(fd_, usbcam::submitAnswer(cmd, 0, payload.data(), uint32_t(length))))
                unplug("the host closed the connection");
        }
    }

    usbcam::UsbCamera& camera_;
    const device::sim::SimScript& script_;
    const long unplugAtPacket_;
    int fd_ = -1;
    std::deque<PendingIn> pending_;
    usbcam::PayloadCutter cutter_;
    unsigned commits_ = 0;
    long frames_ = 0;
    long packets_ = 0;
    long standardRequests_ = 0;
    long extensionRequests_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point nextFrame_ = Clock::now();
};

}  // namespace

int main(int argc, char** argv) {
    device::sim::SimScript script;
    std::string error;
    if (const char* text = std::getenv("LUMORA_SIM_SCRIPT");
        text && !device::sim::parseSimScript(text, script, error)) {
        std::fprintf(stderr, "LUMORA_SIM_SCRIPT: %s\n", error.c_str());
        return 2;
    }
    long unplugAtPacket = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--unplug-at-packet" && i + 1 < argc) {
            unplugAtPacket = std::atol(argv[++i]);
        } else if (arg == "--version" && i + 1 < argc) {
            script.options.firmwareVersion = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--unplug-at-packet N] [--version TEXT]\n", argv[0]);
            return 2;
        }
    }
    usbcam::UsbCamera camera(script.options);
    camera.model().xu.setForcedStatus(script.forcedStatus);
    camera.model().xu.setFlashFails(script.flashFails);
    say("Lumora X8 %s, firmware %s", script.options.serialNumber.c_str(),
        camera.model().xu.firmware().version().c_str());
    return Server(camera, script, unplugAtPacket).run();
}
