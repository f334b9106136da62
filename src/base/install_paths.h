#pragma once
// Where the program finds what it ships with it. In the build tree everything lies beside
// the executable; installed, the private library lies under lib and the data (translations,
// notices) under share, each found relative to the executable, so that any prefix and a
// package unpacked anywhere work alike.
#include <string>

// The folder that holds the private library libraryFile: beside the executable, else the
// installed library folder; the folder beside the executable when neither has it.
std::string privateLibraryDir(const std::string& libraryFile);

// The folder that holds the data file dataFile (a path relative to the data folder, such
// as "languages/rk38p20_ja.qm"): beside the executable, else the installed data folder;
// the installed data folder when neither has it (the place it belongs).
std::string dataDir(const std::string& dataFile);
