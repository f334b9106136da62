#pragma once
// Loads the customisation library (beside the executable in the build tree, in the
// program's private library folder when installed) and fetches its record once.
#include <string>

#include "app/customize_data.h"

// Calls getProjectCustomizeData of the library in libraryDir (privateLibraryDir when
// empty). A library that cannot be loaded yields a zeroed record and a log line.
ProjectCustomizeData getProjectCustomizeData(const std::string& libraryDir = std::string());

// Copies the record's DeviceName into appConfig() (at most 49 characters and the
// terminator). A longer name is cut, and the log says so with the name that is kept.
// Returns false when the name was cut.
bool storeDeviceName(const ProjectCustomizeData& record);
