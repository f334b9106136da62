#include "device/sim/sim_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "device/sim/sim_font.h"

namespace device::sim {
namespace {
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};
struct Yuv {
    uint8_t y, u, v;
};

uint8_t clamp8(double v) {
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

// The scene's colour at scene coordinates (0..1 both ways).
Rgb sceneColour(double sx, double sy) {
    static const Rgb bars[8] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
    static const Rgb castle[8] = {{16, 16, 235},  {16, 16, 16}, {235, 16, 235},  {16, 16, 16},
                                  {16, 235, 235}, {16, 16, 16}, {235, 235, 235}, {16, 16, 16}};
    const int bar = std::clamp(int(sx * 8), 0, 7);
    if (sy < 0.60)
        return bars[bar];
    if (sy < 0.70)
        return castle[bar];
    const double g = std::clamp(std::floor(sx * 16) / 15.0, 0.0, 1.0) * 255.0;
    return {g, g, g};
}

// The camera's picture processing on one scene colour.
Yuv process(Rgb c, const PictureSettings& s) {
    double gain = s.expAuto ? 1.0 : std::pow(2.0, (double(s.exposure) + 5.0) * 0.45);
    gain *= 1.0 + double(s.gain) * 0.12;
    double rgb[3] = {c.r * gain, c.g * gain, c.b * gain};
    if (!s.wbAuto) {
        const double d = (double(s.wbKelvin) - 4600.0) / 2900.0;
        rgb[0] *= 1.0 + 0.25 * d;
        rgb[2] *= 1.0 - 0.25 * d;
    }
    for (double& v : rgb) {
        v = std::clamp(v, 0.0, 255.0);
        if (s.backlight)
            v += (255.0 - v) * 0.3 * (1.0 - v / 255.0);
        v += double(s.brightness - 100);
        v = (v - 128.0) * double(s.contrast) / 100.0 + 128.0;
        v = 255.0 * std::pow(std::clamp(v / 255.0, 0.0, 1.0), 100.0 / double(std::max(1L, s.gamma)));
    }
    const double y = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
    double cb = (rgb[2] - y) * 0.564 * double(s.saturation) / 100.0;
    double cr = (rgb[0] - y) * 0.713 * double(s.saturation) / 100.0;
    const double a = double(s.hue - 90) * 2.0 * kPi / 180.0;
    const double rb = cb * std::cos(a) - cr * std::sin(a);
    const double rr = cb * std::sin(a) + cr * std::cos(a);
    return {clamp8(y), clamp8(rb + 128.0), clamp8(rr + 128.0)};
}
}  // namespace

bool PictureSettings::sameScene(const PictureSettings& o) const {
    return brightness == o.brightness && contrast == o.contrast && hue == o.hue &&
           saturation == o.saturation && gamma == o.gamma && wbAuto == o.wbAuto && wbKelvin == o.wbKelvin &&
           expAuto == o.expAuto && exposure == o.exposure && gain == o.gain && backlight == o.backlight &&
           zoom == o.zoom && pan == o.pan && tilt == o.tilt;
}

TestPicture::TestPicture(int width, int height, std::string label)
    : width_(std::max(2, width)),
      height_(std::max(2, height)),
      chromaWidth_((width_ + 1) / 2),
      chromaHeight_((height_ + 1) / 2),
      label_(std::move(label)) {
    const size_t luma = size_t(width_) * height_;
    const size_t chroma = size_t(chromaWidth_) * chromaHeight_;
    sceneY_.resize(luma);
    y_.resize(luma);
    sceneU_.resize(chroma);
    sceneV_.resize(chroma);
    u_.resize(chroma);
    v_.resize(chroma);
}

void TestPicture::fillRect(std::vector<uint8_t>& py, std::vector<uint8_t>& pu, std::vector<uint8_t>& pv,
                           int x, int y0, int w, int h, uint8_t cy, uint8_t cu, uint8_t cv) {
    const int x1 = std::min(width_, x + w), y1 = std::min(height_, y0 + h);
    x = std::max(0, x);
    y0 = std::max(0, y0);
    if (x >= x1 || y0 >= y1)
        return;
    for (int row = y0; row < y1; ++row)
        std::memset(py.data() + size_t(row) * width_ + x, cy, size_t(x1 - x));
    for (int row = y0 / 2; row < (y1 + 1) / 2; ++row) {
        std::memset(pu.data() + size_t(row) * chromaWidth_ + x / 2, cu, size_t((x1 + 1) / 2 - x / 2));
        std::memset(pv.data() + size_t(row) * chromaWidth_ + x / 2, cv, size_t((x1 + 1) / 2 - x / 2));
    }
}

void TestPicture::drawText(std::vector<uint8_t>& py, std::vector<uint8_t>& pu, std::vector<uint8_t>& pv,
                           int x, int y0, int scale, const std::string& text, bool box) {
    const int advance = 6 * scale;
    if (box)
        fillRect(py, pu, pv, x - scale * 2, y0 - scale * 2, int(text.size()) * advance + scale * 3,
                 11 * scale, 16, 128, 128);
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* rows = glyphRows(text[i]);
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c)
                if (rows[r] & (0x10 >> c))
                    fillRect(py, pu, pv, x + int(i) * advance + c * scale, y0 + r * scale, scale, scale, 235,
                             128, 128);
    }
}

void TestPicture::renderScene(const PictureSettings& s) {
    const double z = std::max(1.0, double(s.zoom) / 100.0);
    const double margin = 0.5 - 0.5 / z;
    const double cx = 0.5 + std::clamp(double(s.pan) / 20.0, -1.0, 1.0) * margin;
    const double cy = 0.5 - std::clamp(double(s.tilt) / 15.0, -1.0, 1.0) * margin;
    auto sceneX = [&](double x) { return cx + (x / width_ - 0.5) / z; };
    auto sceneY = [&](double y) { return cy + (y / height_ - 0.5) / z; };

    // The scene is three horizontal bands whose rows are all alike: render one row of each
    // and copy it down.
    const double bandTop[3] = {0.0, 0.60, 0.70};
    std::vector<uint8_t> rowY[3], rowU[3], rowV[3];
    for (int b = 0; b < 3; ++b) {
        const double sy = bandTop[b] + 0.01;
        rowY[b].resize(size_t(width_));
        rowU[b].resize(size_t(chromaWidth_));
        rowV[b].resize(size_t(chromaWidth_));
        for (int x = 0; x < width_; ++x)
            rowY[b][size_t(x)] = process(sceneColour(sceneX(x + 0.5), sy), s).y;
        for (int x = 0; x < chromaWidth_; ++x) {
            const Yuv c = process(sceneColour(sceneX(2.0 * x + 1.0), sy), s);
            rowU[b][size_t(x)] = c.u;
            rowV[b][size_t(x)] = c.v;
        }
    }
    auto band = [&](double y) {
        const double sy = sceneY(y);
        return sy < 0.60 ? 0 : sy < 0.70 ? 1 : 2;
    };
    for (int y = 0; y < height_; ++y)
        std::memcpy(sceneY_.data() + size_t(y) * width_, rowY[band(y + 0.5)].data(), size_t(width_));
    for (int y = 0; y < chromaHeight_; ++y) {
        const int b = band(2.0 * y + 1.0);
        std::memcpy(sceneU_.data() + size_t(y) * chromaWidth_, rowU[b].data(), size_t(chromaWidth_));
        std::memcpy(sceneV_.data() + size_t(y) * chromaWidth_, rowV[b].data(), size_t(chromaWidth_));
    }

    // A ring and a cross at the scene's centre, in the processed white.
    const Yuv white = process({235, 235, 235}, s);
    const double px = (0.5 - cx) * z * width_, py = (0.5 - cy) * z * height_;  // centre on the output
    ringX_ = width_ / 2.0 + px;
    ringY_ = height_ / 2.0 + py;
    ringR_ = 0.35 * height_ * z;
    const int thick = std::max(2, int(height_ / 240.0 * z));
    const double inner = ringR_ - thick / 2.0, outer = ringR_ + thick / 2.0;
    for (int y = std::max(0, int(ringY_ - outer)); y < std::min(height_, int(ringY_ + outer) + 1); ++y) {
        const double dy = y + 0.5 - ringY_;
        if (std::fabs(dy) > outer)
            continue;
        const double xo = std::sqrt(outer * outer - dy * dy);
        const double xi = std::fabs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : 0.0;
        fillRect(sceneY_, sceneU_, sceneV_, int(ringX_ - xo), y, int(xo - xi) + 1, 1, white.y, white.u,
                 white.v);
        fillRect(sceneY_, sceneU_, sceneV_, int(ringX_ + xi), y, int(xo - xi) + 1, 1, white.y, white.u,
                 white.v);
    }
    fillRect(sceneY_, sceneU_, sceneV_, int(ringX_ - outer), int(ringY_) - thick / 2, int(2 * outer), thick,
             white.y, white.u, white.v);
    fillRect(sceneY_, sceneU_, sceneV_, int(ringX_) - thick / 2, int(ringY_ - outer), thick, int(2 * outer),
             white.y, white.u, white.v);

    // The name and the framing, fixed on the output.
    const int scale = std::max(1, height_ / 180);
    char framing[96];
    std::snprintf(framing, sizeof framing, "%dX%d ZOOM %ld%% PAN %ld TILT %ld", width_, height_, s.zoom,
                  s.pan, s.tilt);
    drawText(sceneY_, sceneU_, sceneV_, scale * 4, scale * 4, scale, label_ + " (SIMULATED)", true);
    drawText(sceneY_, sceneU_, sceneV_, scale * 4, scale * 16, scale, framing, true);
}

void TestPicture::render(const PictureSettings& s, long frameNumber, double seconds) {
    if (!sceneValid_ || !s.sameScene(sceneKey_)) {
        renderScene(s);
        sceneKey_ = s;
        sceneValid_ = true;
    }
    y_ = sceneY_;
    u_ = sceneU_;
    v_ = sceneV_;

    // A red marker sweeping across the bottom every four seconds.
    const double phase = std::fmod(seconds, 4.0) / 4.0;
    const int markerW = std::max(4, width_ / 60);
    fillRect(y_, u_, v_, int(phase * (width_ - markerW)), height_ * 88 / 100, markerW, height_ * 8 / 100, 82,
             90, 240);
    // A dot circling the ring once every ten seconds.
    const double a = std::fmod(seconds, 10.0) / 10.0 * 2.0 * kPi;
    const int dot = std::max(4, height_ / 40);
    fillRect(y_, u_, v_, int(ringX_ + ringR_ * std::sin(a)) - dot / 2,
             int(ringY_ - ringR_ * std::cos(a)) - dot / 2, dot, dot, 145, 54, 34);

    const int scale = std::max(1, height_ / 120);
    char line[64];
    const long ms = long(seconds * 1000.0);
    std::snprintf(line, sizeof line, "#%06ld %02ld:%02ld.%03ld", frameNumber, (ms / 60000) % 100,
                  (ms / 1000) % 60, ms % 1000);
    drawText(y_, u_, v_, scale * 3, height_ - scale * 24, scale, line, true);

    std::string features;
    if (s.hdr)
        features += "HDR ";
    if (s.autoFrame)
        features += "AUTO ZOOM L" + std::to_string(s.zoomLevel) + " S" + std::to_string(s.sensitivity) + " ";
    if (s.tracking)
        features += "TRACKING ";
    features += s.powerLine == 1   ? "50HZ"
                : s.powerLine == 2 ? "60HZ"
                : s.powerLine == 3 ? "AUTO HZ"
                                   : "NO FLICKER";
    const int small = std::max(1, height_ / 180);
    drawText(y_, u_, v_, width_ - int(features.size()) * 6 * small - small * 4, small * 4, small, features,
             true);
}

}  // namespace device::sim
