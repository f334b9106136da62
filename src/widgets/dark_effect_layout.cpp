#include "widgets/dark_effect_layout.h"

DarkEffectLayout::DarkEffectLayout(QWidget* parent) : QWidget(parent) {}
