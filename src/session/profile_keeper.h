#pragma once
// The connected camera's stored settings in a session: a camera that connects gets the
// settings stored under its serial number, and whatever the user changes is stored again
// (merged by key into the file, session/camera_profile.h).
#include <QString>
#include <map>
#include <string>

class UvcCamera;

class ProfileKeeper {
public:
    // After the values were read: applies the stored profile of the camera whose serial
    // number CurrentValues holds, or stores its values as its first profile. Answers
    // whether values were applied (they are then read again).
    bool applyStored(UvcCamera& camera);
    // Stores what changed since the last store (the session is Ready).
    void storeChanges();
    // Stores the changes with the queued jobs counted as made; the worker is stopped first
    // when it works on camera.
    void storeOnTheWayOut(const UvcCamera& camera);
    // A factory reset: the stored settings go.
    void forget();

private:
    void storeChangedValues(const std::map<std::string, int>& values);

    QString serial_;  // the connected camera's serial number
    // The values as last stored or applied: a change is a value that differs from it.
    std::map<std::string, int> saved_;
};
