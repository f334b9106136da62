// The stream mode page: the list it builds from a camera's format table, its default
// selection, and what clicks and keys on the switcher, the list and Modify do.
#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "base/app_config.h"
#include "tabs/mode_tab.h"
#include "widgets/custom_mode_switcher.h"

namespace {
// "index:WxH@fps:FORMAT" items separated by blanks.
std::vector<RESOLUTION_LIST> table(const QString& text) {
    std::vector<RESOLUTION_LIST> list;
    for (const QString& item : text.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(':');
        const QStringList size = parts[1].split(QRegularExpression("[x@]"));
        list.push_back({parts[0].toInt(), size[0].toInt(), size[1].toInt(), size[2].toInt(),
                        parts.value(2).toStdString()});
    }
    return list;
}

QStringList items(QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

const char* const kCamera =
    "0:3520x1104@30:MJPG 1:1920x1080@30:MJPG 2:1920x1080@15:MJPG 3:1280x720@30:MJPG "
    "4:3520x1104@30:H264 5:1920x1080@30:H264 6:1080x1920@30:H264 7:1280x720@10:YUY2";
}  // namespace

class TestModeTab : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> host;
    ModeTab* page = nullptr;
    QComboBox* combo = nullptr;
    QPushButton* modify = nullptr;

    void setDefaults(int width, int height, int fps) {
        appConfig().defaultWidth = width;
        appConfig().defaultHeight = height;
        appConfig().defaultFps = fps;
    }
    void clickMode(int mode) {
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("Mode%1").arg(mode)), Qt::LeftButton);
    }

private slots:
    void init() {
        setDefaults(0, 0, 0);
        appConfig().resolutionList.clear();
        host = std::make_unique<QWidget>();
        page = new ModeTab(host.get());
        combo = page->findChild<QComboBox*>(QStringLiteral("comboBox"));
        modify = page->findChild<QPushButton*>(QStringLiteral("modifyButton"));
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    void cleanup() {
        host.reset();
        appConfig().resolutionList.clear();
        setDefaults(0, 0, 0);
    }

    void listsTheModesEntriesLastFirst_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("current");
        QTest::newRow("H264 with the portrait entry")
            << kCamera << 1 << QStringList{"1080x1920(30p)", "1920x1080(30p)", "3520x1104(30p)"}
            << "3520x1104(30p)";
        QTest::newRow("duplicates stay, odd formats do not")
            << "0:640x360@30:MJPG 1:640x360@30:MJPG 2:640x360@30:mjpg 3:640x360@30:NV12 4:0x0@0:MJPG "
               "5:640x360@30:"
            << 2 << QStringList{"0x0(0p)", "640x360(30p)", "640x360(30p)"} << "640x360(30p)";
        QTest::newRow("no entry of the mode") << "0:1280x720@30:MJPG" << 3 << QStringList{} << "";
        QTest::newRow("unknown mode keeps the items")
            << kCamera << 4
            << QStringList{"2560x1440(30p)", "1920x1080(30p)", "1280x720(30p)", "640x360(30p)"}
            << "2560x1440(30p)";
    }
    void listsTheModesEntriesLastFirst() {
        QFETCH(QString, list);
        QFETCH(int, mode);
        QFETCH(QStringList, shown);
        QFETCH(QString, current);
        appConfig().resolutionList = table(list);
        page->modifyComboBoxItem(mode);
        QCOMPARE(items(combo), shown);
        QCOMPARE(combo->currentText(), current);
        // Item i always stands for entry i.
        if (mode >= 1 && mode <= 3) {
            QCOMPARE(int(page->entries().size()), combo->count());
            for (int i = 0; i < combo->count(); ++i)
                QCOMPARE(ModeTab::entryLabel(page->entries()[size_t(i)]), combo->itemText(i));
        }
    }

    // (With no defaults set, the MJPG 3520x1104 entry: tst_mode_flows.)
    void selectsTheDefault_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<int>>("defaults");
        QTest::addColumn<int>("h264");
        QTest::addColumn<int>("index");  // -1: the empty record
        QTest::addColumn<QString>("current");
        QTest::newRow("APSet.ini names 1920x1080 at 30")
            << kCamera << QList<int>{1920, 1080, 30} << 0 << 1 << "1920x1080(30p)";
        QTest::newRow("fps missing: 3520x1104")
            << kCamera << QList<int>{1920, 1080, 0} << 0 << 0 << "3520x1104(30p)";
        QTest::newRow("named format not offered")
            << kCamera << QList<int>{800, 600, 30} << 0 << -1 << "1280x720(30p)";
        QTest::newRow("duplicate default: the first list entry")
            << "3:3520x1104@30:MJPG 8:3520x1104@30:MJPG" << QList<int>{0, 0, 0} << 0 << 3 << "3520x1104(30p)";
        QTest::newRow("empty list") << "" << QList<int>{0, 0, 0} << 0 << -1 << "";
        QTest::newRow("H264 default") << kCamera << QList<int>{0, 0, 0} << 1 << 4 << "3520x1104(30p)";
    }
    void selectsTheDefault() {
        QFETCH(QString, list);
        QFETCH(QList<int>, defaults);
        QFETCH(int, h264);
        QFETCH(int, index);
        QFETCH(QString, current);
        setDefaults(defaults[0], defaults[1], defaults[2]);
        appConfig().resolutionList = table(list);
        page->updateFromState();
        const RESOLUTION_LIST chosen = h264 ? page->setH264Default() : page->setMJPGDefault();
        QCOMPARE(chosen.index, index < 0 ? 0 : index);
        QCOMPARE(chosen.format.empty(), index < 0);
        QCOMPARE(page->appliedResolution().index, chosen.index);
        QCOMPARE(combo->currentText(), current);
        QCOMPARE(page->findChild<CustomModeSwitcher*>()->checkedMode(), h264 ? 1 : 2);
        QVERIFY(!modify->isEnabled());
    }

    // Switch, pick, Modify: what the user does with mouse and keys; before a camera there
    // is nothing to apply, and an open list hides Modify.
    void modifyAppliesTheChosenEntry() {
        QSignalSpy applied(page, &ModeTab::onResolutionChanged);
        QTest::keyClick(combo, Qt::Key_Down);  // a placeholder item
        clickMode(3);                          // an empty list
        QVERIFY(!modify->isEnabled());
        QTest::mouseClick(modify, Qt::LeftButton);
        QCOMPARE(applied.count(), 0);

        appConfig().resolutionList = table(kCamera);
        page->updateFromState();
        QCOMPARE(combo->currentText(), QString("3520x1104(30p)"));

        QTest::keyClick(combo, Qt::Key_Up);  // one item up the list: 1920x1080 at 30
        QCOMPARE(page->chosenResolution().index, 1);
        QVERIFY(modify->isEnabled());
        QTest::keyClick(combo, Qt::Key_Down);  // back to the applied entry
        QVERIFY(!modify->isEnabled());

        clickMode(1);  // H264: the list's current item is chosen
        QCOMPARE(items(combo).size(), 3);
        QCOMPARE(page->chosenResolution().index, 4);
        QVERIFY(modify->isEnabled());
        QTest::keyClick(combo, Qt::Key_Home);  // the portrait entry
        QCOMPARE(page->chosenResolution().index, 6);

        QTest::mouseClick(modify, Qt::LeftButton);
        QCOMPARE(applied.count(), 1);
        const auto sent = applied.at(0).at(0).value<RESOLUTION_LIST>();
        QCOMPARE(sent.width, 1080);
        QCOMPARE(sent.height, 1920);
        QCOMPARE(QString::fromStdString(sent.format), QString("H264"));
        QVERIFY(!modify->isEnabled());
        QCOMPARE(page->appliedResolution().index, 6);

        QTest::mouseClick(combo, Qt::LeftButton);
        QTRY_VERIFY(combo->view()->isVisible());
        QVERIFY(!modify->isVisible());
        combo->hidePopup();
        QVERIFY(modify->isVisible());
    }
};

QTEST_MAIN(TestModeTab)
#include "tst_mode_tab.moc"
