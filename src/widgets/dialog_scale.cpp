#include "widgets/dialog_scale.h"

#include "base/scale_size.h"

namespace {
ScaleFactorSource currentSource = nullptr;
}  // namespace

double dialogScaleFactor() {
    return currentSource ? currentSource() : getScaleSize();
}

ScaleFactorSource setDialogScaleFactorSource(ScaleFactorSource source) {
    ScaleFactorSource previous = currentSource;
    currentSource = source;
    return previous;
}
