// The firmware image maker's input reading: an unreadable file says so, and input longer
// than any image (/dev/zero, an endless pipe) is refused instead of read for ever.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "fwimage/bounded_read.h"

using fwimage::ReadOutcome;

class FwImageToolTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const char* name, int bytes) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(bytes, 'x'));
        return f.fileName();
    }

private slots:
    void readsAtMostTheLimit() {
        const struct {
            QString path;
            size_t limit;
            ReadOutcome outcome;
            size_t bytes;
        } rows[] = {
            {dir.filePath("none.bin"), 100, ReadOutcome::CannotRead, 0},  // missing
            {dir.path(), 100, ReadOutcome::CannotRead, 0},                // a folder
            {file("small.bin", 100), 100, ReadOutcome::Read, 100},
            {file("over.bin", 101), 100, ReadOutcome::TooLong, 0},  // one byte over
            {"/dev/zero", 3 << 20, ReadOutcome::TooLong, 0},        // an endless device
        };
        for (const auto& row : rows) {
            std::vector<uint8_t> data(7, 0);
            QCOMPARE(fwimage::readFileAtMost(row.path.toStdString(), row.limit, data), row.outcome);
            QCOMPARE(data.size(), row.bytes);
        }
    }

    void toolSaysAMissingImageCannotBeRead() {
        QProcess tool;
        const QString missing = dir.filePath("missing.bin");
        tool.start(QCoreApplication::applicationDirPath() + "/lumora-fwimage", {"--info", missing});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardError()), missing + ": cannot be read\n");
    }
};

QTEST_GUILESS_MAIN(FwImageToolTest)
#include "tst_fwimage_tool.moc"
