#pragma once
// A row or column of exclusive choices (the tab strip, the anti-flicker and stream mode
// buttons) made one stop for the keyboard, as radio buttons are: Tab enters the group at
// the chosen button, the arrow keys choose another, and assistive tools see radio buttons.
// The chosen button stays the group's Tab stop however it was chosen (a click, a key, a
// refill of the page).
class QButtonGroup;

void makeChoiceGroup(QButtonGroup* group);
