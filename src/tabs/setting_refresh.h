#pragma once
// The settings page shown as CurrentValues has it: every control through its silent
// setter, so a refresh sends nothing back to the camera; the rows follow the automatic
// modes and Auto Zoom, and the rows this camera does not offer are hidden.
class SettingColumn;
class SettingTabForm;
struct CurrentValues;

void refreshSettingForm(const SettingTabForm& ui, SettingColumn& column, const CurrentValues& values);
// Only the digital zoom, its rectangle and Reset.
void refreshDigitalView(const SettingTabForm& ui, const CurrentValues& values);
