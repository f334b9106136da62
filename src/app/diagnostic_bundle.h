#pragma once
// The diagnostic bundle a support person reads: one .tar.gz holding exactly
//   log.txt       the last lines of the log (base/log_ring.h)
//   versions.txt  the program, Qt, the kernel, uvcvideo, libjpeg-turbo and libavcodec
//   camera.json   the camera in use: name, serial number, firmware, stream formats, every
//                 control of the control table with its value, range and default, and
//                 whether its extension unit answers
//   profile.ini   the camera's stored profile
//   APSet.ini     the configuration file in use
// profile.ini and APSet.ini hold one comment line when there is no such file. The user's
// home folder is written "~" in every member, and the serial numbers of other cameras the
// log names are left out.
#include <QJsonObject>
#include <QString>
#include <vector>

#include "app/tar_gz.h"

class CameraSession;

// The camera as camera.json describes it, read on the GUI thread, where its session lives.
struct CameraDescription {
    QJsonObject json;
    QString serial;   // empty when no camera answered with one
    QString backend;  // the camera backend in use
};
// Reads the camera when session is Ready; otherwise (or with no session) the description
// says the camera is not connected and why: noCamera, or the session's state.
CameraDescription describeCamera(CameraSession* session, const QString& noCamera = QString());

// The members, with the camera described before. On any thread: the versions may load the
// frame converter module, the longest step.
std::vector<ArchiveMember> diagnosticMembers(const CameraDescription& camera);

// Why writeDiagnosticBundle would refuse path, as its error line; empty when it would not.
QString diagnosticBundleRefusal(const QString& path);

// Writes the members as a .tar.gz at path, through a temporary file beside it that takes
// the name once it is complete: a failure leaves nothing behind. Refused like a profile
// export: "-", a path that is no regular file, a folder that does not exist. On any
// thread. error: one line saying what failed.
bool writeDiagnosticBundle(const QString& path, const std::vector<ArchiveMember>& members, QString* error);
