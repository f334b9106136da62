#pragma once
// Looks shared by the dialogs and popups: the "Calibri" font and the style sheets of
// their frame and buttons.
#include <QFont>
#include <QString>

class QDialog;
class QWidget;

QFont calibriFont(int pointSize, int weight = QFont::Normal);

// Rounded dark frame of the question and progress dialogs.
extern const char* const kDialogFrameStyle;
// Fills the dialog, without margins, with a frame of that look named "verticalWidget" and
// returns it; the dialog's contents go into the frame.
QWidget* addDialogFrame(QDialog* dialog);
// White text on the frame, for labels.
extern const char* const kWhiteTextStyle;
// The white translucent button and the blue accent button.
extern const char* const kPlainButtonStyle;
extern const char* const kAccentButtonStyle;
