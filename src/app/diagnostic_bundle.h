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
#include <QString>
#include <vector>

#include "app/tar_gz.h"

class CameraSession;

// The members, gathered on the GUI thread. The camera is read when session is Ready;
// otherwise (or with no session) camera.json says the camera is not connected and why:
// noCamera, or the session's state.
std::vector<ArchiveMember> diagnosticMembers(CameraSession* session, const QString& noCamera = QString());

// Why writeDiagnosticBundle would refuse path, as its error line; empty when it would not.
QString diagnosticBundleRefusal(const QString& path);

// Writes the members as a .tar.gz at path, through a temporary file beside it that takes
// the name once it is complete: a failure leaves nothing behind. Refused like a profile
// export: "-", a path that is no regular file, a folder that does not exist. On any
// thread. error: one line saying what failed.
bool writeDiagnosticBundle(const QString& path, const std::vector<ArchiveMember>& members, QString* error);
