#pragma once
// Looks shared by the dialogs and popups: the "Calibri" font and the style sheets of
// their frame and buttons.
#include <QFont>
#include <QString>

QFont calibriFont(int pointSize, int weight = QFont::Normal);

// Rounded dark frame of the question and progress dialogs.
extern const char* const kDialogFrameStyle;
// The white translucent button and the blue accent button.
extern const char* const kPlainButtonStyle;
extern const char* const kAccentButtonStyle;
