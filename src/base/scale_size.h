#pragma once
// The screen scale factor: the primary screen's horizontal DPI divided by 96, computed
// anew at every call. Every window, page and dialog fits its sizes with it.
double getScaleSize();
