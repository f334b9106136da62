// lumora-fw-progress-shot OUT.png: runs the window on the simulated camera (1 ms per
// control transfer), starts a firmware update from the information page with a generated
// image, answers its questions, and once the progress dialog shows 40 % writes a picture
// of the screen area of the window. Run it on an X server (screenshot.sh -f does, under Xvfb).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/mainwindow.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_camera.h"
#include "tabs/info_tab.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/general_dialog.h"
#include "widgets/tab_button.h"

namespace {
constexpr int kShotAtPercent = 40;
constexpr int kGiveUpMs = 120000;

QString writeImage(const QTemporaryDir& dir) {
    using namespace device::sim;
    std::vector<uint8_t> payload(2 * 1024 * 1024);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i * 2654435761u >> 24);
    const std::vector<uint8_t> image = buildFwImage(makeHeaderVersion(1, 2, 4), std::string(), payload);
    const QString path = QDir(dir.path()).filePath(QStringLiteral("fw-1.2.4.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    return path;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumora-fw-progress-shot OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    setLogEcho(false);
    device::sim::SimOptions options;
    options.controlLatencyUs = 1000;
    auto camera = device::sim::installSimulatedCamera(options);
    QTemporaryDir dir;
    const QString image = writeImage(dir);

    mainwindow window;
    window.move(0, 0);
    window.show();
    bool started = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!started && window.session().state() == SessionState::Ready) {
            started = true;
            window.form().infoBtn->select();
            window.tabSelected(4);
            InfoTab* infoTab = window.infoPage();
            infoTab->setFileChooser([image](QWidget*) { return image; });
            QTimer::singleShot(500, infoTab, &InfoTab::fwUpdateBtnClicked);
            return;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible())
                continue;
            if (auto* question = qobject_cast<GeneralDialog*>(widget)) {
                question->findChild<QPushButton*>(QStringLiteral("rightBtn"))->click();
            } else if (auto* progress = qobject_cast<CustomProgressDialog*>(widget)) {
                if (progress->progress() < kShotAtPercent)
                    continue;
                QApplication::processEvents();
                const QRect area = window.frameGeometry();
                const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
                    0, area.x(), area.y(), area.width(), area.height());
                const bool saved = shot.save(out);
                std::fprintf(stderr, "%s %s at %d %%\n", saved ? "wrote" : "could not write", qPrintable(out),
                             progress->progress());
                window.infoPage()->stopUpdate();
                std::_Exit(saved ? 0 : 1);
            }
        }
    });
    poll.start(20);
    QTimer::singleShot(kGiveUpMs, [] {
        std::fprintf(stderr, "no progress dialog at %d %% in time\n", kShotAtPercent);
        std::_Exit(1);
    });
    return app.exec();
}
