#pragma once
// The Lumora X8 itself, apart from the way a host reaches it: its standard controls, its
// vendor extension unit (with the firmware side) and the picture they give. The
// in-process backend (SimCore) keeps these parts per simulated device behind the device
// port; the USB emulation of tools/vm/usbcam answers USB requests from one CameraModel.
// Plain state; the owner guards it.
#include "device/sim/sim_camera.h"
#include "device/sim/sim_controls.h"
#include "device/sim/sim_extension_unit.h"
#include "device/sim/sim_picture.h"

namespace device::sim {

// What the Lumora X8's controls and vendor features make of the test picture.
PictureSettings lumoraPictureSettings(const ControlTable& controls, const XuControls& xu);

struct CameraModel {
    explicit CameraModel(const SimOptions& options) : controls(ControlTable::lumora()), xu(options) {}

    PictureSettings picture() const { return lumoraPictureSettings(controls, xu.controls()); }

    ControlTable controls;
    ExtensionUnit xu;
};

}  // namespace device::sim
