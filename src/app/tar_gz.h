#pragma once
// A .tar.gz made in memory: regular files in a POSIX ustar archive, compressed as one gzip
// stream. Enough for the diagnostic bundle's few small members; `tar -xzf` unpacks it.
#include <QByteArray>
#include <QString>
#include <vector>

struct ArchiveMember {
    QString name;  // a plain name of at most 100 bytes (no folder)
    QByteArray data;
};

// The archive of members, each a file of mode 0644 owned by 0:0 and modified at
// `modified` (seconds since 1970). Empty when a name does not fit or compression fails.
QByteArray tarGz(const std::vector<ArchiveMember>& members, qint64 modified);
