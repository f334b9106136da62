// The main window's construction and its disable / enable operations.
#include "app/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <string>

#include "app/connection_flags.h"
#include "app/customize_loader.h"
#include "app/language_setup.h"
#include "app/page_state.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/scale_size.h"
#include "engine/setting_task_engine.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/darken_effect.h"
#include "widgets/protect_layout.h"

namespace {
// Starts the window's first connect once the window has painted, then goes.
class FirstConnectAfterPaint : public QObject {
public:
    FirstConnectAfterPaint(mainwindow* window, int delayMs)
        : QObject(window), window_(window), delayMs_(delayMs) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint) {
            QTimer::singleShot(delayMs_, window_, &mainwindow::connectCamera);
            window_->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    mainwindow* window_;
    int delayMs_;
};
}  // namespace

mainwindow::mainwindow(QWidget* parent) : mainwindow(Timing(), parent) {}

mainwindow::mainwindow(const Timing& timing, QWidget* parent) : QMainWindow(parent), timing_(timing) {
    ui.setupUi(this);
    setUpLanguageAndIdentity();

    overlay_ = new ProtectLayout(ui.centralWidget);
    overlay_->setText(tr("Camera is Not Connected"));

    buildPages();

    stream_ = std::make_unique<UvcStream>();
    callback_ = std::make_unique<CStreamCallback>(this);
    stream_->setCallback(callback_.get());
    installQuitHandling();

    startTimers();

    cameraReady = false;
    connectEnabled = true;
    disableWindow();

    debugLog("getScaleSize %f\n", getScaleSize());

    ui.verticalGroupBox->setMinimumSize(
        ui.centralWidget->width() - ui.tabWidget->width() - ui.verticalWidget->width(),
        ui.centralWidget->height());
    ui.verticalGroupBox->show();
}

mainwindow::~mainwindow() {
    // The process normally ends with the window. A window that goes earlier (tests build
    // several) must not leave the settings worker applying jobs to its stream's camera.
    previewTimer->stop();
    connectTimer->stop();
    profileTimer_->stop();
    storeProfileOnTheWayOut();
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    if (engine.camera() == &stream_->camera())
        engine.deleteCamera();
    if (stream_->isOpen())
        stream_->release();
    stream_->setCallback(nullptr);
    stream_->setOpenWait(nullptr);
    // The pages go with the window: no reference may outlive them.
    settingTab = nullptr;
    modeTab = nullptr;
    infoTab = nullptr;
}

void mainwindow::setUpLanguageAndIdentity() {
    debugLog("AP_VERSION %s \n", kApplicationVersion);

    const ProjectCustomizeData customize = getProjectCustomizeData();
    writeStdout(std::string("DeviceName : ") + customize.DeviceName +
                ", PCToolName : " + customize.PCToolName + "\n");
    writeStdout("UAC VID: " + std::to_string(customize.UacVID) +
                ", PID : " + std::to_string(customize.UacPID) + "\n");
    writeStdout("MassStorage VID: " + std::to_string(customize.MassStorageVID) +
                ", PID : " + std::to_string(customize.MassStoragePID) + "\n");

    translator_ = setupLanguage(systemLocaleName(), this);
    if (translator_)
        ui.retranslateUi(this);

    storeDeviceName(customize);  // logs when the name had to be cut

    setWindowIcon(QIcon(QStringLiteral(":/appicon/app_logo.png")));
    setWindowTitle(tr("Lumora X8 Setting Software"));
}

void mainwindow::startTimers() {
    previewTimer = new QTimer(this);
    previewTimer->setInterval(timing_.previewIntervalMs);
    connect(previewTimer, &QTimer::timeout, this, &mainwindow::updateImage);
    previewTimer->start();

    connectTimer = new QTimer(this);
    connectTimer->setInterval(timing_.connectIntervalMs);
    connect(connectTimer, &QTimer::timeout, this, &mainwindow::connectCamera);
    connectTimer->start();
    // The camera is looked for as soon as the window has painted, not one connect interval
    // later: its picture follows within a second of the start, and the window's first paint
    // does not wait for the stream's open.
    if (timing_.firstConnectMs >= 0)
        installEventFilter(new FirstConnectAfterPaint(this, timing_.firstConnectMs));

    profileTimer_ = new QTimer(this);
    profileTimer_->setInterval(1000);
    connect(profileTimer_, &QTimer::timeout, this, &mainwindow::saveProfileIfChanged);
    profileTimer_->start();
}

double mainwindow::getScaleSize() {
    return ::getScaleSize();
}

void mainwindow::darkenWorkingArea() {
    ui.horizontalWidget->setGraphicsEffect(new DarkenEffect());
}

void mainwindow::disableWindow() {
    debugLog("disableWindow \n");
    overlay_->showWithText(this);
    returnToSettingsPage();
    darkenWorkingArea();
}

void mainwindow::disableWindowWithoutText() {
    debugLog("disableWindowWithoutText \n");
    overlay_->showWithoutText(this);
    darkenWorkingArea();
}

void mainwindow::enableWindow() {
    debugLog("enableWindow \n");
    overlay_->hideOverlay();
    ui.horizontalWidget->setGraphicsEffect(nullptr);
}

void mainwindow::disableWindowAndReconnect() {
    cameraReady = false;
    connectEnabled = true;
    disableWindow();
}

void mainwindow::closeAllDialogs() {
    debugLog("closeAllDialogs \n");
    // Closing one dialog may delete others (their owners go with it): hold guarded
    // pointers and skip the ones that are gone.
    QList<QPointer<QDialog>> dialogs;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            dialogs.append(dialog);
    }
    for (const QPointer<QDialog>& dialog : dialogs) {
        if (!dialog)
            continue;
        dialog->close();
        setGraphicsEffect(nullptr);
    }
}
