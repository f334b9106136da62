// Writes the seed corpus of every fuzz target: valid inputs of each kind, made by the
// project's own encoders and builders. Usage: fuzz_make_seeds <corpus folder>
#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "device/fake/usb_descriptor_builder.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_encoder.h"
#include "device/sim/sim_picture.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

using Bytes = std::vector<uint8_t>;

namespace {

QString root;

void write(const char* target, const char* name, const Bytes& bytes) {
    const QString folder = root + "/" + target;
    QDir().mkpath(folder);
    QFile file(folder + "/seed-" + name);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

device::sim::TestPicture picture(int width, int height) {
    device::sim::TestPicture p(width, height, "Lumora X8");
    p.render(device::sim::PictureSettings{}, 7, 0.25);
    return p;
}

// A few frames of H264 (Annex B), each sample after the fuzz target's sample marker.
Bytes h264Stream(int width, int height, int frames) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec)
        return {};
    AVCodecContext* c = avcodec_alloc_context3(codec);
    c->width = width;
    c->height = height;
    c->time_base = AVRational{1, 30};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 10;
    c->max_b_frames = 0;
    av_opt_set(c->priv_data, "preset", "ultrafast", 0);
    av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    Bytes out;
    if (avcodec_open2(c, codec, nullptr) < 0) {
        avcodec_free_context(&c);
        return out;
    }
    AVFrame* frame = av_frame_alloc();
    frame->format = c->pix_fmt;
    frame->width = width;
    frame->height = height;
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    device::sim::TestPicture p(width, height, "Lumora X8");
    auto drain = [&] {
        while (avcodec_receive_packet(c, packet) == 0) {
            out = out + text("LXS|") + Bytes(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (int i = 0; i < frames; ++i) {
        p.render(device::sim::PictureSettings{}, i, i / 30.0);
        av_frame_make_writable(frame);
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? height : (height + 1) / 2;
            for (int y = 0; y < rows; ++y)
                std::memcpy(frame->data[plane] + y * frame->linesize[plane],
                            p.plane(plane) + y * p.stride(plane), size_t(p.stride(plane)));
        }
        frame->pts = i;
        avcodec_send_frame(c, frame);
        drain();
    }
    avcodec_send_frame(c, nullptr);
    drain();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&c);
    return out;
}

Bytes fixed(const std::string& s, size_t n) {
    Bytes b(n, 0);
    std::memcpy(b.data(), s.data(), std::min(s.size(), n - 1));
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);

    write("fuzz_config", "readme",
          text("[Config]\ndebug=1\ndefaultWidth=1920\ndefaultHeight=1080\ndefaultFps=30\n"));
    write("fuzz_config", "quoted",
          text("; comment\r\n[other]\ndebug=0\n[ config ]\r\nDEBUG = "
               "\"-12\"\ndefaultWidth='640'\ndefaultFps= +15x\n"));

    // A profile: four bytes choosing the controls a store changes (here zoom and pan, set to
    // 0x01010101 and 0x02020202), then the file's text.
    const Bytes store{0x03, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2};
    write("fuzz_profile", "whole",
          store + text("[profile]\nformat=1\nserial=LX8A2412000137\n\n[controls]\nzoom=200\npan=5\n"
                       "tilt=-3\nwhite-balance=4600\nhdr=1\n"));
    write("fuzz_profile", "newer",
          store + text("; hand-written\r\n[profile]\r\nformat=2\r\n[controls]\r\nfocus-mode=3 ; later\r\n"
                       "brightness = 9\r\ngamma=99999999999999999999\r\nhue=warm\r\n[lenses]\r\nwide=1\r\n"
                       "[controls]\r\npan=1\r\n"));
    write("fuzz_profile", "no-sections", store + text("pan=4\nformat=9\n[controls\n=1\n"));

    device::sim::FrameEncoder encoder;
    Bytes jpeg;
    for (auto [w, h, name] : {std::tuple{160, 120, "jpeg-160x120"}, std::tuple{64, 48, "jpeg-64x48"}}) {
        const size_t n = encoder.jpeg(picture(w, h), jpeg, 60);
        write("fuzz_mjpg_frame", name, Bytes{0x00} + Bytes(jpeg.begin(), jpeg.begin() + long(n)));
    }
    Bytes rgb;
    const size_t rgbLength = encoder.rgb32BottomUp(picture(160, 120), rgb);
    write("fuzz_mjpg_frame", "rgb32-rows",
          Bytes{0xF0} + Bytes(rgb.begin(), rgb.begin() + long(std::min<size_t>(rgbLength, 160 * 4 * 6))));

    Bytes yuy2;
    const size_t yuy2Length = encoder.yuy2(picture(32, 24), yuy2);
    write("fuzz_yuy2_frame", "32x24",
          Bytes{32, 24, 0, 40, 30} + Bytes(yuy2.begin(), yuy2.begin() + long(yuy2Length)));
    write("fuzz_yuy2_frame", "32x24-padded-rows",
          Bytes{32, 24, 8 + 72, 16, 12} + Bytes(size_t(72) * 24, 0x80));

    const Bytes h264 = h264Stream(64, 48, 4);
    if (!h264.empty())
        write("fuzz_h264_frame", "64x48", Bytes{0x55} + h264);
    else
        std::fprintf(stderr, "no H264 encoder: fuzz_h264_frame keeps its committed seeds\n");

    // Honest replies in the order the target asks: serial number, firmware version,
    // header version, camera status, transfer info status, sensitivity, HDR, Auto Zoom,
    // tracking, zoom level, then the size query (a claimed count: code 0x80).
    const Bytes ok{0x00};
    Bytes info(256, 0);
    write("fuzz_xu_replies", "connected",
          ok + fixed("LX8-2026-000123", 60) + ok + fixed("1.2.4", 60) + ok + Bytes{0x04, 0x02, 0x00, 0x01} +
              ok + Bytes{0x01} + ok + info + ok + Bytes{0xFE} + ok + Bytes{1} + ok + Bytes{0} + ok +
              Bytes{1} + ok + Bytes{3} + Bytes{0x80, 0x08, 0x01, 0x00, 0x00});

    device::v4l2::GuidBytes guid{'A', 'B', '_', 'U', 'S', 'E', 'R', '_', 'M', 'O', 'D', 'E', 0, 0, 0, 0};
    write("fuzz_usb_descriptors", "camera", Bytes{0x00} + device::v4l2::typicalCameraDescriptors(guid));
    write("fuzz_usb_descriptors", "camera-interface-0",
          Bytes{0x01} + device::v4l2::typicalCameraDescriptors(guid));

    Bytes payload(600);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i * 7 + 3);
    write("fuzz_fw_image", "1.2.4",
          device::sim::buildFwImage(device::sim::makeHeaderVersion(1, 2, 4), "1.2.4", payload));
    write("fuzz_fw_image", "version-from-word",
          device::sim::buildFwImage(device::sim::makeHeaderVersion(2, 0, 17), "", {}));

    write("fuzz_sim_script", "readme", text("unplugged; plug@5s; unplug@30s; plug@35s"));
    write(
        "fuzz_sim_script", "settings",
        text("reboot=2000ms; reset-absence=1.5s; xu-from=20; fps=2; latency=1000us; status=15; flash-fails; "
             "no-webcam; duplicate"));
    return 0;
}
