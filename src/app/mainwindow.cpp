#include "app/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <string>
#include <utility>

#include "app/customize_loader.h"
#include "app/diagnostic_save.h"
#include "app/framing_controller.h"
#include "app/language_setup.h"
#include "app/side_strip.h"
#include "app/window_wait.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "base/scale_size.h"
#include "capture/custom_image_label.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/info_tab.h"
#include "tabs/mode_tab.h"
#include "tabs/setting_tab.h"
#include "widgets/busy_progress.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/darken_effect.h"
#include "widgets/general_dialog.h"
#include "widgets/protect_layout.h"
#include "widgets/tab_button.h"

namespace {
using State = SessionState;

// Once the window has painted: what its first paint does not show is made (finishStart),
// then the session's first connect starts (connectDelayMs below 0: none; the connect tick
// finds the camera).
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(mainwindow* window, int connectDelayMs)
        : QObject(window), window_(window), connectDelayMs_(connectDelayMs) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint) {
            // Queued behind this paint and its flush, in this order.
            QTimer::singleShot(0, window_, &mainwindow::finishStart);
            if (connectDelayMs_ >= 0)
                QTimer::singleShot(connectDelayMs_, window_, &mainwindow::connectCamera);
            window_->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    mainwindow* window_;
    int connectDelayMs_;
};

// The tab widget's width fitted from the scale it was last fitted to to the current one.
void fitTabWidgetWidth(QTabWidget* tabWidget) {
    tabWidget->setFixedWidth(static_cast<int>(tabWidget->width() / appConfig().scale * getScaleSize()));
}

bool canBeSeen(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return window.isVisible() && !window.isMinimized() && handle != nullptr && handle->isExposed();
}
}  // namespace

mainwindow::mainwindow(QWidget* parent) : mainwindow(Timing(), parent) {}

mainwindow::mainwindow(const Timing& timing, QWidget* parent)
    : QMainWindow(parent), timing_(timing), session_(CameraSession::Use::Window, timing.session) {
    ui.setupUi(this);
    setUpLanguageAndIdentity();

    overlay_ = new ProtectLayout(ui.centralWidget);
    overlay_->setText(tr("Camera is Not Connected"));
    buildInUseNote();

    setUpPageArea();
    connectSession();
    startTimers();

    disableWindow();  // Searching
    debugLog("getScaleSize %f\n", getScaleSize());

    ui.verticalGroupBox->setMinimumSize(
        ui.centralWidget->width() - ui.tabWidget->width() - ui.verticalWidget->width(),
        ui.centralWidget->height());
    ui.verticalGroupBox->show();
}

mainwindow::~mainwindow() {
    previewTimer_->stop();
    session_.disconnect(this);
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

    setWindowTitle(tr("Lumora X8 Setting Software"));
}

void mainwindow::setUpPageArea() {
    ui.tabWidget->setTabPosition(QTabWidget::West);
    fitTabWidgetWidth(ui.tabWidget);
    ui.tabWidget->tabBar()->hide();
    // The pages are fitted to the tab widget's full width: no pane frame takes from it.
    // Until the pages are built the stack shows the settings page's background, so the
    // page arriving a frame after the first paint changes no colour.
    ui.tabWidget->setStyleSheet(
        QStringLiteral("QTabWidget::pane { border: none; }"
                       " QStackedWidget#qt_tabwidget_stackedwidget { background-color: rgb(50, 57, 67); }"));
    pagesFittedFrom_ = appConfig().scale;
    appConfig().scale = getScaleSize();

    connect(QGuiApplication::primaryScreen(), &QScreen::logicalDotsPerInchChanged, this,
            &mainwindow::logicalDotsPerInchChanged);
    sideStrip_ = new SideStrip(ui, this);
    // A tab button that goes to a page not built yet builds it first. The settings page
    // is the one shown from the start (its background until it is built): its button,
    // selected with the cover, builds nothing.
    for (TabButton* button : {ui.modeBtn, ui.infoBtn}) {
        connect(button, &TabButton::pressed, this, &mainwindow::buildPages);
        connect(button, &TabButton::toggled, this, &mainwindow::buildPages);
    }
}

namespace {
// Builds pages fitted from the scale the pages are laid out for to the screen's scale now
// (the window was refitted to it at any DPI change since): the scale they are made with is
// laidOutFor, and the screen's is put back after.
template <typename Build>
void withPageScale(double laidOutFor, Build build) {
    const double screen = std::exchange(appConfig().scale, laidOutFor);
    build();
    appConfig().scale = screen;
}
}  // namespace

void mainwindow::buildPages() {
    buildSettingPage();
    if (modePage_ != nullptr)
        return;
    withPageScale(pagesFittedFrom_, [this] {
        QWidget* stack = ui.pageStack();
        modePage_ = new ModeTab(stack);
        ui.tabWidget->addTab(modePage_, QString());
        infoPage_ = new InfoTab(session_.firmwareUpdate(), stack);
        ui.tabWidget->addTab(infoPage_, QString());
    });

    connect(modePage_, &ModeTab::onResolutionChanged, this, &mainwindow::channgeResolution);
    connect(modePage_, &ModeTab::onModeSwitched, this, &mainwindow::channgeMode);
    connect(infoPage_, &InfoTab::resetAllSettings, this, &mainwindow::resetSettings, Qt::UniqueConnection);
    new DiagnosticSave(infoPage_, session_, this);  // the page's diagnostic bundle; a child of the window
    infoPage_->updateDialogs().setBeforeUpdate([this] {
        return askBeforeTakingStream(tr("Firmware Update"), tr("The camera restarts for its new firmware."));
    });
}

void mainwindow::buildSettingPage() {
    if (settingPage_ != nullptr)
        return;
    // Each page is made in the tab widget's stack, where addTab leaves it: a page moved
    // there from elsewhere would have every widget's style sheet worked out once more.
    withPageScale(pagesFittedFrom_, [this] {
        settingPage_ = new SettingTab(ui.pageStack());
        ui.tabWidget->addTab(settingPage_, QString());
    });

    // The page never sends it today; whoever does gets the default stream format.
    connect(settingPage_, &SettingTab::changeDefaultResolution, this, &mainwindow::changeDefaultResolution);
    // Named framings on the settings page, point to frame on the preview.
    framings_ = new FramingController(session_, *settingPage_, *ui.streamLabel, this);
}

void mainwindow::finishStart() {
    // The settings page is painted at once, before the other pages are made and the first
    // connect runs (a queued paint would wait behind both).
    buildSettingPage();
    ui.tabWidget->repaint();
    // The icon's picture is decoded here, not before the first paint: the window shows
    // none of it (the desktop's task bar and switcher do).
    setWindowIcon(QIcon(QStringLiteral(":/appicon/app_logo.png")));
    buildPages();
}

SettingTab* mainwindow::settingPage() {
    buildPages();
    return settingPage_;
}

ModeTab* mainwindow::modePage() {
    buildPages();
    return modePage_;
}

InfoTab* mainwindow::infoPage() {
    buildPages();
    return infoPage_;
}

void mainwindow::connectSession() {
    // Closing the last window, or the event loop ending for any reason, is a quit
    // request: the waits in progress end, the settings worker takes no further job.
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [] { requestQuit(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { requestQuit(); });
    // The session's waits keep the window painting and take a close request.
    session_.stream().setOpenWait(
        [](const std::function<bool()>& workerDone) { waitKeepingWindowAlive(-1, workerDone); });
    session_.setPause([](int ms) { return waitKeepingWindowAlive(ms, nullptr); });

    connect(&session_, &CameraSession::stateChanged, this, &mainwindow::showState);
    connect(&session_, &CameraSession::valuesRead, this, &mainwindow::refillPages);
    connect(&session_, &CameraSession::runningFormatShown, this,
            [this](const RESOLUTION_LIST& running) { modePage()->showAppliedResolution(running); });
    connect(&session_, &CameraSession::formatRefused, this, &mainwindow::tellFormatRefused);
    connect(&session_, &CameraSession::previewCleared, ui.streamLabel, &CustomImageLabel::clear);
    connect(&session_, &CameraSession::firmwareGivenUp, this, &mainwindow::disableWindowWithoutText);
    connect(&session_, &CameraSession::cameraWentAway, this, [this] {
        closeAllDialogs();
        if (session_.state() == State::AwaitingReboot)
            disableWindow();  // the camera left for its new firmware
    });
}

void mainwindow::startTimers() {
    previewTimer_ = new QTimer(this);
    previewTimer_->setInterval(timing_.previewIntervalMs);
    connect(previewTimer_, &QTimer::timeout, this, &mainwindow::updateImage);
    previewTimer_->start();
    session_.startTicks();
    // The camera is looked for as soon as the window has painted, not one connect interval
    // later: its picture follows within a second of the start, and the window's first paint
    // does not wait for the stream's open.
    installEventFilter(new AfterFirstPaint(this, timing_.firstConnectMs));
}

// ---- the cover, drawn from the session's state -----------------------------------------

void mainwindow::showState(SessionState now, SessionState before) {
    showInUseNote(now == State::InUse);
    if (now == State::Denied || before == State::Denied)
        overlay_->setText(now == State::Denied ? deniedText() : tr("Camera is Not Connected"));
    switch (now) {
        case State::Denied:
            disableWindow();
            break;
        case State::InUse:
            // Settings only: the pages work, the preview says who has the picture.
            if (before == State::Opening)
                enableWindow();
            infoPage()->busyProgress()->closeDialog();
            break;
        case State::Searching:
            if (before == State::AwaitingReset) {
                // The restarting camera dropped off, or did not come back in time: the
                // cover says so, and no reset confirmation follows its return.
                infoPage()->forgetResetConfirmation();
                infoPage()->busyProgress()->close();
                overlay_->showTextLabel();
            } else {
                disableWindow();
            }
            break;
        case State::AwaitingReset:
            if (before == State::Opening) {
                disableWindow();  // an open failed while the camera restarts
                break;
            }
            disableWindowWithoutText();
            showResetBusy(now);
            break;
        case State::Ready:
            if (before == State::Opening)
                enableWindow();
            infoPage()->busyProgress()->closeDialog();  // a restarting reset's camera is back
            break;
        case State::Resetting:
            disableWindowWithoutText();
            ui.streamLabel->hide();
            showResetBusy(now);
            ui.streamLabel->show();
            if (session_.settingsOpen()) {
                enableWindow();
            } else {
                overlay_->showTextLabel();  // lost meanwhile: the cover says so
                infoPage()->forgetResetConfirmation();
            }
            break;
        case State::AwaitingReboot:
            returnToSettingsPage();
            break;
        default:
            break;
    }
}

void mainwindow::showResetBusy(SessionState now) {
    returnToSettingsPage();
    BusyProgress* busy = infoPage()->busyProgress();
    // The session leaves the state while the busy time runs (its timers and ticks run in
    // the dialog's loop); one that left before the dialog showed needs none.
    if (session_.state() == now)
        busy->exec();
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

void mainwindow::setDialogDarkening(QGraphicsEffect* effect) {
    setGraphicsEffect(effect);
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

double mainwindow::getScaleSize() {
    return ::getScaleSize();
}

void mainwindow::closeEvent(QCloseEvent* event) {
    if (infoPage_ != nullptr && !infoPage()->confirmQuit()) {
        debugLog("close refused: firmware update running\n");
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// ---- the pages -------------------------------------------------------------------------

QList<BaseTab*> mainwindow::pages() {
    buildPages();
    return builtPages();
}

QList<BaseTab*> mainwindow::builtPages() const {
    QList<BaseTab*> built;
    for (BaseTab* page : std::initializer_list<BaseTab*>{settingPage_, modePage_, infoPage_}) {
        if (page != nullptr)
            built.append(page);
    }
    return built;
}

void mainwindow::refillPages() {
    const QList<BaseTab*> all = pages();
    framings_->showCameraFramings();
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    engine.pauseJobAdding();
    // Whatever the pages queue while they copy the values in is dropped.
    for (BaseTab* page : all)
        page->updateFromState();
    engine.resumeJobAdding();
    // The stream just opened runs the default MJPG format; the mode page selects it too.
    currentValues().resolution = modePage()->setMJPGDefault();
}

void mainwindow::returnToSettingsPage() {
    sideStrip_->returnToSettingsPage();
}

void mainwindow::logicalDotsPerInchChanged(qreal dpi) {
    debugLog("logicalDotsPerInchChanged: %f\n", dpi);
    resize(minimumSize());
    fitTabWidgetWidth(ui.tabWidget);
    for (BaseTab* page : builtPages())  // the others are fitted to the new scale when built
        page->scaleForDpi();
    appConfig().scale = getScaleSize();
}

void mainwindow::hiddenBtnClicked() {
    sideStrip_->togglePanel();
}

void mainwindow::tabSelected(int id) {
    buildPages();
    sideStrip_->select(id);
}

// ---- the session's operations ----------------------------------------------------------

void mainwindow::connectCamera() {
    buildPages();  // before the values can reach the pages
    session_.tick();
}

void mainwindow::channgeResolution(RESOLUTION_LIST r) {
    if (askBeforeFormatChange())
        session_.changeFormat(r);
}

void mainwindow::channgeMode(int mode) {
    debugLog("\n ***********channgeMode************** %d \n", mode);
    if ((mode == 1 || mode == 2) && !askBeforeFormatChange())
        return;
    if (mode == 1) {
        session_.changeFormat(modePage()->setH264Default());
    } else if (mode == 2) {
        session_.changeFormat(modePage()->setMJPGDefault());
    } else {
        debugLog("mode error with %d \n", mode);
    }
}

void mainwindow::changeDefaultResolution() {
    debugLog("changeDefaultResolution \n");
    if (askBeforeFormatChange())
        session_.changeFormat(modePage()->setMJPGDefault());
}

void mainwindow::resetSettings() {
    session_.resetToFactory();
}

void mainwindow::buildInUseNote() {
    inUseNote_ = new QLabel(ui.verticalGroupBox);
    inUseNote_->setObjectName(QStringLiteral("inUseNote"));
    inUseNote_->setAlignment(Qt::AlignCenter);
    inUseNote_->setWordWrap(true);
    inUseNote_->setStyleSheet(QStringLiteral("color: white; font-size: 18px; padding: 40px;"));
    ui.gridLayout->addWidget(inUseNote_, 0, 0);
    inUseNote_->hide();
}

void mainwindow::showInUseNote(bool inUse) {
    if (inUse)
        inUseNote_->setText(inUseText());
    inUseNote_->setVisible(inUse);
}

QString mainwindow::holderName() const {
    const QString holder = QString::fromStdString(session_.streamHolderText());
    return holder.isEmpty() ? tr("Another application") : holder;
}

QString mainwindow::inUseText() const {
    return tr("%1 is using the camera's picture.\nThe settings work as usual; the picture returns here when "
              "the camera is free.")
        .arg(holderName());
}

QString mainwindow::deniedText() const {
    return tr(
        "The camera may not be opened by this user.\nOn a desktop, log in on the computer's own "
        "seat (udev's uaccess rule gives its user the cameras);\notherwise add the user to the group "
        "\"video\" and log in again.");
}

bool mainwindow::askBeforeTakingStream(const QString& title, const QString& what) {
    if (session_.state() != State::InUse)
        return true;
    auto* dialog = new GeneralDialog(this);
    dialog->init(title,
                 tr("%1 is using the camera's picture.\n%2 The call's picture will drop.\nContinue?")
                     .arg(holderName(), what),
                 tr("Cancel"), tr("Continue"));
    bool agreed = false;
    connect(dialog, &GeneralDialog::rightBtnClicked, dialog, [&agreed] { agreed = true; });
    dialog->exec();
    debugLog("stream held by another application: %s \n", agreed ? "continue" : "cancelled");
    return agreed;
}

bool mainwindow::askBeforeFormatChange() {
    if (askBeforeTakingStream(tr("Stream Format"), tr("A new stream format needs the camera's stream.")))
        return true;
    modePage()->showAppliedResolution(currentValues().resolution);  // the choice is undone
    return false;
}

void mainwindow::tellFormatRefused() {
    auto* dialog = new GeneralDialog(this);
    dialog->init(tr("Stream Format"),
                 tr("The camera could not open the chosen format.\nThe previous format is used again."),
                 QString(), tr("OK"));
    dialog->show();
}

// ---- the preview tick ------------------------------------------------------------------
// Every 33 ms: the device-lost check and the newest frame handed to the preview label.
// The label's decoder thread decodes it at the size it is shown at, so the tick itself
// only copies the frame; frames that arrive faster than they are decoded replace each
// other instead of queueing. While nobody can see the window (minimised, hidden, or on
// another workspace, where it is not exposed) no frame is taken or decoded: the newest
// one waits in the store and is shown at the first tick after the window comes back.

void mainwindow::updateImage() {
    session_.checkLost();
    showFrame();
}

void mainwindow::showFrame() {
    UvcStream& stream = session_.stream();
    if (!canBeSeen(*this) || stream.newFrameCount() == 0)
        return;
    uint8_t* data = nullptr;
    const int length = stream.getFrame(&data);
    FrameImage& frameImage = session_.frameImage();
    const bool mjpg = currentValues().resolution.format == "MJPG";
    if (mjpg) {
        frameImage.setData(data, length);
    } else {
        frameImage.setData(data);
    }
    if (!ui.streamLabel->isEnabled())
        return;  // the frame stays pending

    if (mjpg) {
        // A frame that does not decode is dropped there: the previous picture stays.
        ui.streamLabel->showJpegFrame(frameImage.compressedFrame());
        return;
    }
    // An RGB32 picture is read as width x height x 4 bytes of the prepared format; a
    // shorter frame (another size, or compressed samples while the format is not yet
    // known) would be read past its end, so it is not shown.
    if (length < frameImage.size())
        return;
    ui.streamLabel->showRgbFrame(frameImage.getImage());
}
