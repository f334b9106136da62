#include "firmware/fw_file_check.h"

#include <QFile>
#include <QFileInfo>

FirmwareFileCheck checkFirmwareFile(const QString& path) {
    FirmwareFileCheck check;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return check;  // Unreadable
    if (!info.isFile()) {
        check.problem = FileProblem::NotAFile;
        return check;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return check;
    check.size = file.size();
    if (check.size == 0)
        check.problem = FileProblem::Empty;
    else if (check.size < kFirmwareHeaderBytes)
        check.problem = FileProblem::TooShort;
    else if (check.size > kFirmwareMaxFileBytes)
        check.problem = FileProblem::TooLarge;
    else
        check.problem = FileProblem::None;
    return check;
}

const char* fileProblemName(FileProblem problem) {
    switch (problem) {
        case FileProblem::None:
            return "usable";
        case FileProblem::Unreadable:
            return "cannot be read";
        case FileProblem::NotAFile:
            return "not a regular file";
        case FileProblem::Empty:
            return "empty";
        case FileProblem::TooShort:
            return "shorter than the 128-byte header";
        case FileProblem::TooLarge:
            return "larger than 2147483647 bytes";
    }
    return "?";
}
