#pragma once
// The name of the locale the user set, as the C library reads it for messages.
#include <QString>

// language_TERRITORY as the user set it (LC_ALL, else LC_MESSAGES, else LANG, without
// encoding and modifier), for example "ja_JP"; "C" when none is set. Unlike Qt's system
// locale it is not completed: "ja" stays "ja" and "ja_US" stays "ja_US".
QString systemLocaleName();
