// The simulated driver's control cache decides which reads cost the camera a control
// transfer: a camera just plugged is asked once per range and value, one whose controls
// were read before is asked nothing until a value is set, and a camera back on the bus
// starts afresh.
#include <QtTest>

#include "device/sim/sim_core.h"

using device::sim::DriverCache;
using device::sim::SimCore;
using device::sim::SimOptions;

namespace {
constexpr auto kRange = DriverCache::Kind::Range;
constexpr auto kValue = DriverCache::Kind::Value;
}  // namespace

class TstSimDriverCache : public QObject {
    Q_OBJECT
private slots:
    void asksOnlyWhatItDoesNotKeep_data() {
        QTest::addColumn<bool>("readBefore");
        QTest::addColumn<QString>("steps");  // r: range read, v: value read, s: value set, p: replug
        QTest::addColumn<QString>("asked");  // per read: 1 when the camera was asked
        QTest::newRow("just plugged") << false << "rvrv"
                                      << "1100";
        QTest::newRow("set: the value again") << false << "vvsvv"
                                              << "1010";
        QTest::newRow("read before") << true << "rvrv"
                                     << "0000";
        QTest::newRow("read before, then set") << true << "vsvv"
                                               << "010";
        QTest::newRow("replugged") << true << "rvprvrv"
                                   << "001100";
        QTest::newRow("replugged after reads") << false << "rvprv"
                                               << "1111";
    }
    void asksOnlyWhatItDoesNotKeep() {
        QFETCH(bool, readBefore);
        QFETCH(QString, steps);
        QFETCH(QString, asked);
        SimOptions options;
        options.controlsReadBefore = readBefore;
        SimCore core(options);
        const int camera = SimCore::kCamera;
        QString seen;
        for (const QChar step : steps) {
            const uint64_t gen = core.generation(camera);
            const auto kind = step == 'r' ? kRange : kValue;
            if (step == 'p') {
                core.unplug();
                core.plug();
            } else if (step == 's') {
                core.driverForgetValue(camera, gen, 0, 2);
            } else {
                const bool ask = core.driverMustAsk(camera, gen, kind, 0, 2);
                seen += ask ? '1' : '0';
                core.driverNoteRead(camera, gen, kind, 0, 2);
            }
        }
        QCOMPARE(seen, asked);
        // Another control is its own entry.
        QCOMPARE(core.driverMustAsk(camera, core.generation(camera), kValue, 0, 3),
                 !readBefore || steps.contains('p'));
    }
};

QTEST_GUILESS_MAIN(TstSimDriverCache)
#include "tst_sim_driver_cache.moc"
