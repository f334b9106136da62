#pragma once
// What assistive tools (screen readers, through AT-SPI) learn of a CustomSlider: a slider
// whose value, range and step are in the unit the user sees (the number drawn over the
// handle: kelvin for the white balance, not hundreds of kelvin), and whose value they set
// through the same press, drag step and release as the mouse.

// Installs the accessibility factory for CustomSlider once per process.
void installSliderAccessible();
