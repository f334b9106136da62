// Loaded into a program by bench_startup (LD_PRELOAD): notes when the program's first
// window has painted ("paint"), when its settings page (the widget "SettingTab") has
// painted ("settings": it may come with the first paint or after it) and, when it has a
// preview label ("streamLabel"), when that label has painted its first camera picture
// ("picture"); writes them to the file named by LUMORA_STARTUP_PROBE as
// "<what> <monotonic ns> <process CPU ms>" and ends the process once the program has
// shown all it has.
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1.0e6;
}

class StartupProbe : public QObject {
    Q_OBJECT
public:
    explicit StartupProbe(QObject* parent)
        : QObject(parent), out_(std::fopen(qgetenv("LUMORA_STARTUP_PROBE"), "w")) {
        // A program that never paints (or never shows a picture) ends here.
        QTimer::singleShot(20000, this, [this] { finish(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The settings page painted after the first paint: noted at the first event after
        // that paint and its flush, which may be one the program sends itself right after
        // a repaint, before any queued one.
        if (pageSeen_ && !pageNoted_ && windowNoted_ && event->type() != QEvent::Paint)
            pagePainted();
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        if (!painted_) {
            painted_ = true;
            // Once this paint and the flush after it are done.
            QTimer::singleShot(0, this, [this] { windowPainted(); });
        }
        if (!pageSeen_ && watched->objectName() == QLatin1String("SettingTab")) {
            pageSeen_ = true;
            // Painted with the window: noted with it, before whatever the first paint queued.
            pageInFirstPaint_ = !windowNoted_;
        } else if (pictureShown_ && watched == label_) {
            pictureShown_ = false;
            QTimer::singleShot(0, this, [this] {
                note("picture");
                pictureNoted_ = true;
                finishWhenAllShown();
            });
        }
        return false;
    }

private slots:
    void onPictureShown() { pictureShown_ = true; }

private:
    void pagePainted() {
        note("settings");
        pageNoted_ = true;
        finishWhenAllShown();
    }
    void windowPainted() {
        note("paint");
        windowNoted_ = true;
        if (pageInFirstPaint_)
            pagePainted();
        // LUMORA_STARTUP_PROBE_PAINT_ONLY (for profiling the start): the end comes here, or
        // at the settings page's paint when it says "settings".
        if (!qEnvironmentVariableIsEmpty("LUMORA_STARTUP_PROBE_PAINT_ONLY") && !endAtPage())
            finish();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (QWidget* label = top->findChild<QWidget*>(QStringLiteral("streamLabel"))) {
                label_ = label;
                connect(label, SIGNAL(pictureShown()), this, SLOT(onPictureShown()));
                return;  // waits for the first picture
            }
        }
        finish();
    }
    void finishWhenAllShown() {
        if (pageNoted_ && (pictureNoted_ || endAtPage()))
            finish();
    }
    static bool endAtPage() { return qgetenv("LUMORA_STARTUP_PROBE_PAINT_ONLY") == "settings"; }
    void note(const char* what) {
        if (out_ != nullptr)
            std::fprintf(out_, "%s %lld %.3f\n", what, monotonicNs(), processCpuMs());
    }
    void finish() {
        if (out_ != nullptr)
            std::fclose(out_);
        _exit(0);  // the measurement is over: no teardown
    }

    std::FILE* out_;
    QObject* label_ = nullptr;
    bool painted_ = false;
    bool pictureShown_ = false;
    bool windowNoted_ = false;
    bool pageSeen_ = false;
    bool pageInFirstPaint_ = false;
    bool pageNoted_ = false;
    bool pictureNoted_ = false;
};

void installProbe() {
    // The programs may make a core application first (for the command line): only the
    // widget application is watched.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || qEnvironmentVariableIsEmpty("LUMORA_STARTUP_PROBE"))
        return;
    app->installEventFilter(new StartupProbe(app));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)

#include "startup_probe.moc"
