#pragma once
// The simulated camera's moving test picture, rendered as planar YUV 4:2:0 (full range,
// as JPEG uses). A static scene (colour bars, a grey ramp, a ring with a cross) is seen
// through the digital zoom, pan and tilt and coloured by the picture controls; it is
// rendered once per change of those controls and cached. Each frame then copies it and
// draws what moves: a sweeping marker, a dot circling the ring, the frame number and the
// stream time, and the vendor features that are on.
#include <cstdint>
#include <string>
#include <vector>

namespace device::sim {

struct PictureSettings {
    long brightness = 100, contrast = 100, hue = 90, saturation = 100, gamma = 100;
    bool wbAuto = true;
    long wbKelvin = 4600;
    bool expAuto = true;
    long exposure = -5, gain = 0, backlight = 0;
    long zoom = 100, pan = 0, tilt = 0;
    // Drawn per frame only.
    bool hdr = false, autoFrame = false, tracking = false;
    int zoomLevel = 0, sensitivity = 0;
    long powerLine = 2;

    // Whether the cached scene can be reused (everything but the per-frame fields).
    bool sameScene(const PictureSettings& o) const;
};

class TestPicture {
public:
    TestPicture(int width, int height, std::string label);

    void render(const PictureSettings& settings, long frameNumber, double seconds);

    int width() const { return width_; }
    int height() const { return height_; }
    // Plane 0: Y (width x height), 1: U, 2: V (each (width+1)/2 x (height+1)/2).
    const uint8_t* plane(int i) const { return i == 0 ? y_.data() : i == 1 ? u_.data() : v_.data(); }
    int stride(int i) const { return i == 0 ? width_ : chromaWidth_; }

private:
    void renderScene(const PictureSettings& s);
    void fillRect(std::vector<uint8_t>& y, std::vector<uint8_t>& u, std::vector<uint8_t>& v, int x, int y0,
                  int w, int h, uint8_t cy, uint8_t cu, uint8_t cv);
    void drawText(std::vector<uint8_t>& y, std::vector<uint8_t>& u, std::vector<uint8_t>& v, int x, int y0,
                  int scale, const std::string& text, bool box);

    int width_, height_, chromaWidth_, chromaHeight_;
    std::string label_;
    std::vector<uint8_t> sceneY_, sceneU_, sceneV_;
    std::vector<uint8_t> y_, u_, v_;
    bool sceneValid_ = false;
    PictureSettings sceneKey_;
    // Where the ring lies on the output, for the circling dot.
    double ringX_ = 0, ringY_ = 0, ringR_ = 0;
};

}  // namespace device::sim
