#include "device/sim/camera_model.h"

namespace device::sim {

PictureSettings lumoraPictureSettings(const ControlTable& c, const XuControls& xu) {
    const auto P = ControlGroup::VideoProcAmp;
    const auto C = ControlGroup::CameraControl;
    PictureSettings s;
    s.brightness = c.state(P, kProcBrightness).value;
    s.contrast = c.state(P, kProcContrast).value;
    s.hue = c.state(P, kProcHue).value;
    s.saturation = c.state(P, kProcSaturation).value;
    s.gamma = c.state(P, kProcGamma).value;
    s.backlight = c.state(P, kProcBacklightCompensation).value;
    s.gain = c.state(P, kProcGain).value;
    s.zoom = c.state(C, kCamZoom).value;
    s.pan = c.state(C, kCamPan).value;
    s.tilt = c.state(C, kCamTilt).value;
    const ControlState exposure = c.state(C, kCamExposure);
    s.expAuto = exposure.flags == kFlagsAuto;
    s.exposure = exposure.value;
    s.powerLine = c.powerLine();
    s.hdr = xu.hdr != 0;
    s.autoFrame = xu.autoFrame != 0;
    s.tracking = xu.tracking != 0;
    s.zoomLevel = xu.zoomLevel;
    s.sensitivity = xu.sensitivity;
    const ControlState wb = c.state(P, kProcWhiteBalance);
    s.wbAuto = wb.flags == kFlagsAuto;
    s.wbKelvin = wb.value;
    return s;
}

}  // namespace device::sim
