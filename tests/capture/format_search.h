#pragma once
// Finding a format in the camera's format list, shared by the tests that open streams.
#include <string>
#include <vector>

#include "base/resolution_list.h"

// The first entry of that format text and size (the highest rate of that size); an entry
// with an empty format when there is none.
inline RESOLUTION_LIST findFormat(const std::vector<RESOLUTION_LIST>& list, const std::string& format,
                                  int width, int height) {
    for (const RESOLUTION_LIST& entry : list) {
        if (entry.format == format && entry.width == width && entry.height == height)
            return entry;
    }
    return RESOLUTION_LIST{-1, 0, 0, 0, ""};
}
