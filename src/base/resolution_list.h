#pragma once
// One stream format of the camera: a size at one frame rate in one of the three formats
// the program handles ("MJPG", "H264", "YUY2"). An empty format means no selection.
#include <QMetaType>
#include <string>

struct RESOLUTION_LIST {
    int index = 0;  // position within its output pin's format list (the formatId opened)
    int width = 0;
    int height = 0;
    int fps = 0;  // the format's rate truncated toward zero
    std::string format;
};
Q_DECLARE_METATYPE(RESOLUTION_LIST)
