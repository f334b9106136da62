#include "app/tar_gz.h"

#include <zlib.h>

#include <cstring>

namespace {
constexpr int kBlock = 512;

// A number in octal, zero-padded to width - 1 digits and ended by NUL, as ustar fields are.
void putOctal(char* field, int width, qint64 value) {
    for (int i = width - 2; i >= 0; --i, value >>= 3)
        field[i] = char('0' + (value & 7));
    field[width - 1] = '\0';
}

QByteArray header(const QByteArray& name, qint64 size, qint64 modified) {
    char h[kBlock] = {};
    std::memcpy(h, name.constData(), size_t(name.size()));  // name[100]
    putOctal(h + 100, 8, 0644);                             // mode
    putOctal(h + 108, 8, 0);                                // uid
    putOctal(h + 116, 8, 0);                                // gid
    putOctal(h + 124, 12, size);
    putOctal(h + 136, 12, modified);
    h[156] = '0';  // a regular file
    std::memcpy(h + 257, "ustar", 6);
    std::memcpy(h + 263, "00", 2);
    // The checksum counts its own field as blanks; six digits, NUL, blank.
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (int i = 0; i < kBlock; ++i)
        sum += static_cast<unsigned char>(h[i]);
    putOctal(h + 148, 7, sum);
    h[155] = ' ';
    return QByteArray(h, kBlock);
}

QByteArray gzip(const QByteArray& data) {
    z_stream stream{};
    // 15 + 16: the largest window, with a gzip header and trailer.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const uLong written = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return QByteArray();
    out.resize(int(written));
    return out;
}
}  // namespace

QByteArray tarGz(const std::vector<ArchiveMember>& members, qint64 modified) {
    QByteArray tar;
    for (const ArchiveMember& member : members) {
        const QByteArray name = member.name.toUtf8();
        if (name.isEmpty() || name.size() > 100 || name.contains('/'))
            return QByteArray();
        tar += header(name, member.data.size(), modified);
        tar += member.data;
        tar += QByteArray((kBlock - member.data.size() % kBlock) % kBlock, '\0');
    }
    tar += QByteArray(2 * kBlock, '\0');  // the end of the archive
    return gzip(tar);
}
