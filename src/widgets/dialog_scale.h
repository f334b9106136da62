#pragma once
// The screen factor that dialogs and popups fit their sizes with. Normally it is the
// program's screen scale factor (getScaleSize); a test may put another source in place
// to try other screens, and restore the normal one with nullptr.
using ScaleFactorSource = double (*)();

double dialogScaleFactor();

// Returns the source that was in place before (nullptr for the normal one).
ScaleFactorSource setDialogScaleFactorSource(ScaleFactorSource source);
