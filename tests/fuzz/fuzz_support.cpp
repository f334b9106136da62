#include "fuzz_support.h"

#include <QGuiApplication>
#include <cstdlib>

#include "base/debug_log.h"

namespace fuzz {

void quietLog() {
    setLogEcho(false);
}

void startGuiApplication(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Lives for the whole run; libFuzzer never returns to main.
    static QGuiApplication* application = new QGuiApplication(*argc, *argv);
    (void)application;
}

}  // namespace fuzz
