#pragma once
// Reading of APSet.ini, the configuration file.
#include <string>
#include <vector>

// Reads APSet.ini into appConfig(); logs the path of the file read ("iniFilePath: ...") and
// the debug flag. The file is the first of configCandidates that exists.
bool readConfig();

// The path of the APSet.ini the last read looked at (it may not exist: all keys then took
// their defaults); empty before the first read.
std::string configFileRead();

// The same, for an executable at exePath (tests use it with paths of their own).
bool readConfigFor(const std::string& exePath);

// Where APSet.ini is looked for, in order: the user's config folder ($XDG_CONFIG_HOME, else
// ~/.config), the system's ($XDG_CONFIG_DIRS, else /etc/xdg), each with
// "lumora-x8-settings/APSet.ini", then beside the executable (iniPathFor).
std::vector<std::string> configCandidates(const std::string& exePath);

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
