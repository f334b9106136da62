#include "app/software_versions.h"

#include <dlfcn.h>
#include <sys/utsname.h>

#include <QFile>
#include <QtGlobal>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

// After <cstdio>, which jpeglib.h needs.
#include <jpeglib.h>

#include "base/install_paths.h"
#include "device/v4l2/frame_conversion.h"

namespace {

QString kernelVersion() {
    struct utsname name {};
    if (::uname(&name) != 0)
        return QStringLiteral("unknown");
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromLocal8Bit(name.sysname), QString::fromLocal8Bit(name.release),
             QString::fromLocal8Bit(name.version), QString::fromLocal8Bit(name.machine));
}

QString uvcvideoVersion() {
    QFile file(QStringLiteral("/sys/module/uvcvideo/version"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("not loaded (no /sys/module/uvcvideo/version)");
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

// The library answers no version of its own (its version text is the API's, "6b"): the
// version of the headers the program was built with, and the library file it runs with.
QString jpegVersion() {
    Dl_info library{};
    char real[PATH_MAX] = {};
    const bool found = ::dladdr(reinterpret_cast<void*>(&jpeg_std_error), &library) != 0 &&
                       library.dli_fname != nullptr && ::realpath(library.dli_fname, real) != nullptr;
    return QStringLiteral("%1.%2.%3 (built with), running %4")
        .arg(LIBJPEG_TURBO_VERSION_NUMBER / 1000000)
        .arg(LIBJPEG_TURBO_VERSION_NUMBER / 1000 % 1000)
        .arg(LIBJPEG_TURBO_VERSION_NUMBER % 1000)
        .arg(found ? QString::fromLocal8Bit(real) : QStringLiteral("an unknown library file"));
}

}  // namespace

QString frameConverterCodecVersion() {
    const std::string file = device::v4l2::kFrameConverterModule;
    const std::string path = privateLibraryDir(file) + "/" + file;
    // The same flags as the converter's own load, which then finds the module loaded.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        return QStringLiteral("unknown: the frame converter module does not load (%1)")
            .arg(QString::fromLocal8Bit(reason != nullptr ? reason : "no reason given"));
    }
    // A module's handle finds the symbols of the libraries it needs too.
    using VersionFn = unsigned (*)();
    const auto version = reinterpret_cast<VersionFn>(::dlsym(module, "avcodec_version"));
    if (version == nullptr)
        return QStringLiteral("unknown: the frame converter module has no libavcodec");
    const unsigned v = version();
    return QStringLiteral("%1.%2.%3").arg(v >> 16).arg((v >> 8) & 0xff).arg(v & 0xff);
}

QString softwareVersionsText(const QString& backend) {
    QString text;
    const auto line = [&text](const char* what, const QString& version) {
        text += QStringLiteral("%1: %2\n").arg(QString::fromLatin1(what), version);
    };
    line("program", QStringLiteral("lumora-x8-settings " LUMORA_APP_VERSION));
    line("Qt", QStringLiteral("%1 (built with " QT_VERSION_STR ")").arg(QString::fromLatin1(qVersion())));
    line("kernel", kernelVersion());
    line("uvcvideo", uvcvideoVersion());
    line("libjpeg-turbo", jpegVersion());
    line("libavcodec", frameConverterCodecVersion());
    line("camera backend", backend);
    return text;
}
