#pragma once
// Reading of APSet.ini, the configuration file beside the executable.
#include <string>

// Reads the executable's APSet.ini into appConfig(); logs the path and the debug flag.
bool readConfig();

// The same, for an executable at exePath (tests use it with paths of their own).
bool readConfigFor(const std::string& exePath);

// exePath cut before its last '\' or '/' (the whole path when it has none), then
// "/APSet.ini".
std::string iniPathFor(const std::string& exePath);

// Integer key with private-profile semantics: section and key names match without
// regard to case; the value (without surrounding quotes) is a decimal integer after
// optional blanks and sign, read up to its first non-digit; fallback when the file, the
// section or the key is missing or the value is empty.
int readProfileInt(const std::string& iniPath, const std::string& section, const std::string& key,
                   int fallback);

// The running executable's full path, as the operating system reports it, and its folder.
std::string executablePath();
std::string executableDir();
