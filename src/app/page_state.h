#pragma once
// State of the main window's page area shared by its code.

// The tab panel (the pages beside the preview) is shown; the hide button toggles it.
extern bool sidePanelShown;

class SettingTab;
class ModeTab;
class InfoTab;

// The pages, created by the main window's constructor (settings, mode, information as
// tabs 0, 1 and 2); other parts of the window reach them here. Null before.
extern SettingTab* settingTab;
extern ModeTab* modeTab;
extern InfoTab* infoTab;
