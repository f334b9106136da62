#include "app/framing_controller.h"

#include <QStringList>
#include <chrono>

#include "base/debug_log.h"
#include "capture/custom_image_label.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "session/camera_profile.h"
#include "session/camera_session.h"
#include "session/framing_store.h"
#include "tabs/framing_row.h"
#include "tabs/preview_framing.h"
#include "tabs/setting_tab.h"

namespace {
// How often an applied framing's jobs are looked after.
constexpr int kApplyWatchMs = 20;

QStringList namesOf(const std::vector<Framing>& framings) {
    QStringList names;
    for (const Framing& f : framings)
        names << f.name;
    return names;
}
}  // namespace

FramingController::FramingController(CameraSession& session, SettingTab& page, CustomImageLabel& preview,
                                     QObject* parent)
    : QObject(parent), session_(session), page_(page) {
    new PreviewFraming(&preview, &page);
    applyWatch_.setInterval(kApplyWatchMs);
    connect(&applyWatch_, &QTimer::timeout, this, &FramingController::checkApplied);
    FramingRow& framings = row();
    connect(&framings, &FramingRow::saveRequested, this, &FramingController::save);
    connect(&framings, &FramingRow::applyRequested, this, &FramingController::apply);
    connect(&framings, &FramingRow::renameRequested, this, &FramingController::rename);
    connect(&framings, &FramingRow::deleteRequested, this, &FramingController::remove);
}

void FramingController::showCameraFramings() {
    showFramings(row().shownName());
}

FramingRow& FramingController::row() const {
    return *page_.form().framingRow;
}

QString FramingController::serial() const {
    return QString::fromLatin1(currentValues().serialNumber).trimmed();
}

QString FramingController::path() const {
    return framingsPathFor(serial());
}

bool FramingController::cameraReady() const {
    return session_.state() == SessionState::Ready;
}

void FramingController::showFramings(const QString& shown) {
    QStringList skipped;
    const std::vector<Framing> framings = loadFramings(path(), &skipped);
    for (const QString& line : skipped)
        debugLog("framings: %s\n", qPrintable(line));
    row().setNames(namesOf(framings), shown);
}

void FramingController::save(const QString& name) {
    const CurrentValues& values = currentValues();
    const Framing framing{name, values.zoom.load(), values.pan.load(), values.tilt.load()};
    QString error;
    if (!cameraReady() || !storeFraming(path(), serial(), framing, &error)) {
        row().showStatus(error.isEmpty() ? tr("No camera is ready") : tr("Not saved: %1").arg(error));
        return;
    }
    debugLog("framing saved: zoom %d, pan %d, tilt %d\n", framing.zoom, framing.pan, framing.tilt);
    showFramings(name);
    row().showStatus(tr("Saved \"%1\"").arg(name));
}

void FramingController::apply(const QString& name) {
    if (applyWatch_.isActive())  // one framing at a time
        return;
    const std::vector<Framing> framings = loadFramings(path());
    const Framing* framing = findFraming(framings, name);
    if (framing == nullptr || !cameraReady()) {
        row().showStatus(framing == nullptr ? tr("\"%1\" is no longer saved").arg(name)
                                            : tr("No camera is ready"));
        showFramings(row().shownName());
        return;
    }
    if (currentValues().autoFrame.load() == 1) {
        row().showStatus(tr("Auto Zoom frames the picture: switch it off to apply a framing"));
        return;
    }
    debugLog("framing apply: zoom %d, pan %d, tilt %d\n", framing->zoom, framing->pan, framing->tilt);
    QStringList skipped;
    applying_ = queueFraming(*framing, session_.stream().camera(), &skipped);
    for (const QString& line : skipped)
        debugLog("framing: %s\n", qPrintable(line));
    applyingName_ = name;
    row().showStatus(skipped.isEmpty() ? QString() : skipped.join(QLatin1Char('\n')));
    applyWatch_.start();
}

void FramingController::checkApplied() {
    if (session_.state() != SessionState::Ready) {
        applyWatch_.stop();
        row().showStatus(tr("The camera went away before \"%1\" was applied").arg(applyingName_));
        return;
    }
    if (!SettingTaskEngine::instance().waitUntilIdle(std::chrono::milliseconds(0)))
        return;
    applyWatch_.stop();
    const QStringList notKept = checkProfileKept(applying_, session_.stream().camera());
    page_.showDigitalView();
    if (notKept.isEmpty()) {
        row().showStatus(tr("Applied \"%1\"").arg(applyingName_));
        return;
    }
    for (const QString& line : notKept)
        debugLog("framing: %s\n", qPrintable(line));
    row().showStatus(tr("The camera did not keep all of \"%1\": %2")
                         .arg(applyingName_, notKept.join(QStringLiteral("; "))));
}

void FramingController::rename(const QString& from, const QString& to) {
    QString error;
    if (!renameFraming(path(), serial(), from, to, &error)) {
        row().showStatus(tr("Not renamed: %1").arg(error));
        showFramings(row().shownName());
        return;
    }
    showFramings(to);
    row().showStatus(tr("Renamed \"%1\" to \"%2\"").arg(from, to));
}

void FramingController::remove(const QString& name) {
    QString error;
    if (!deleteFraming(path(), serial(), name, &error)) {
        row().showStatus(tr("Not deleted: %1").arg(error));
        showFramings(row().shownName());
        return;
    }
    showFramings(QString());
    row().showStatus(tr("Deleted \"%1\"").arg(name));
}
