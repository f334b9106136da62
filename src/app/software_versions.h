#pragma once
// The versions a support person asks for first, one "what: version" line each: the
// program, Qt, the kernel, its uvcvideo driver, libjpeg-turbo and libavcodec, and the
// camera backend in use (backend). On any thread.
#include <QString>

QString softwareVersionsText(const QString& backend);

// libavcodec's version as the frame converter module links it ("59.37.100"). The module
// loads with the first converted stream; asked here before that, it is loaded now (a
// program that never writes a bundle nor converts a frame never maps it). Says why when
// the module does not load.
QString frameConverterCodecVersion();
