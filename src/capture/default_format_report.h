#pragma once
// Says why the default stream cannot open when the camera offers no format that
// qualifies as the default MJPG format (the one APSet.ini names, or the built-in 3520 x
// 1104 at 30 fps). The open still fails: no other format is taken in its place. The
// report is made once per connection of the camera, not at every connect tick.
#include <string>
#include <vector>

#include "base/resolution_list.h"

class DefaultFormatReport {
public:
    // After each default open's format search: formats is the camera's usable list
    // (empty: no camera found), foundIndex what the search answered (-1: nothing
    // qualified). Logs the reason the first time nothing qualifies while the camera stays
    // connected; an absent camera or a format found starts a new connection.
    void afterSearch(const std::vector<RESOLUTION_LIST>& formats, int foundIndex);

    // The log line: the format asked for, where it comes from, and the MJPG formats the
    // camera offers.
    static std::string describe(const std::vector<RESOLUTION_LIST>& formats);

private:
    bool reported_ = false;
};
