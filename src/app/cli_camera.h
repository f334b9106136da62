#pragma once
// The camera as the command-line mode reaches it: found among the system's video devices
// by the configured name, chosen with --device when there are several, and opened the
// way the window opens it (the stream, the extension unit, the settings worker).
#include <QString>
#include <string>
#include <vector>

#include "capture/uvc_stream.h"

struct FoundCamera {
    QString name;
    QString backend;
    QString node;  // the device node, or the system's path of the device
    std::string key;
    QString serial;  // empty when the extension unit did not answer
    QString firmware;
};

// Every video device whose name contains the configured camera name, with its serial
// number and firmware version read over its extension unit.
std::vector<FoundCamera> listCameras();

// Restricts the installed backend to one of cameras: the one whose node, serial number
// or position matches choice, or the only one when choice is empty. Answers an exit code
// (kExitDone, kExitNoCamera, kExitBadArgument) and says why in error.
int chooseCamera(const std::vector<FoundCamera>& cameras, const QString& choice, FoundCamera* chosen,
                 QString* error);

class CliCamera {
public:
    CliCamera() = default;
    ~CliCamera();
    CliCamera(const CliCamera&) = delete;
    CliCamera& operator=(const CliCamera&) = delete;

    // Opens the stream, looks for the extension unit and starts the settings worker.
    // Answers kExitDone or kExitNoCamera (error says why). A camera whose extension unit
    // does not answer is open for its standard controls only.
    int open(QString* error);
    bool hasExtensionUnit() const { return extensionUnit_; }
    void close();
    // Stops the stream and the settings worker; the extension unit stays enabled (the
    // firmware update's start needs it).
    void releaseStream();
    // The camera went away (device lost, or no longer listed).
    bool lost();
    UvcCamera& camera() { return stream_.camera(); }

private:
    class Callback : public StreamCallback {
    public:
        void streamResult(int value) override { result = value; }
        int result = -1;
    };
    UvcStream stream_;
    Callback callback_;
    bool open_ = false;
    bool extensionUnit_ = false;
};
