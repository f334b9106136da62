#pragma once
// State of the main window's page area shared by its code.

// The tab panel (the pages beside the preview) is shown; the hide button toggles it.
extern bool sidePanelShown;
