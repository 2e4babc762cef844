// The quote feed's frame reader on arbitrary bytes: it must stay inside the buffer, every stored
// record must carry a NUL-terminated UTF-8 name, and feeding the stream in two pieces (as TCP may
// deliver it) must yield the same records as feeding it whole.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "quote_frame_reader.h"

namespace {

struct Decoded {
    QString code;
    QByteArray record;
};

std::vector<Decoded> decode(const QByteArray& stream, int split) {
    std::vector<Decoded> out;
    const QuoteRecordSink sink = [&out](const QString& code, const ClientSecurityMarketDataLevel1& record) {
        if (code.size() > int(sizeof record.SecurityID)) std::abort();
        const size_t nameLength = strnlen(record.SecurityName, sizeof record.SecurityName);
        if (nameLength >= sizeof record.SecurityName) std::abort();  // no terminator left in the field
        const QByteArray name(record.SecurityName, int(nameLength));
        if (QString::fromUtf8(name).toUtf8() != name) std::abort();  // a character was cut in half
        out.push_back({code, QByteArray(reinterpret_cast<const char*>(&record), sizeof record)});
    };

    // A buffer of exactly the bytes held so far, so any read past it is caught.
    QByteArray pending;
    auto deliver = [&](const QByteArray& bytes) {
        pending += bytes;
        std::vector<char> exact(pending.constBegin(), pending.constEnd());
        const QuoteFrameReadResult r = readQuoteFrames(exact.data(), qint64(exact.size()), sink);
        if (r.consumed < 0 || r.consumed > pending.size()) std::abort();
        pending.remove(0, int(r.consumed));
        if (pending.size() >= QUOTE_FRAME_SIZE) std::abort();  // a whole frame was left behind
    };
    deliver(stream.left(split));
    deliver(stream.mid(split));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 64 * 1024) return 0;
    // The first two bytes choose where TCP splits the rest.
    const QByteArray stream(reinterpret_cast<const char*>(data) + 2, int(size - 2));
    const int split = int((data[0] | (data[1] << 8)) % (stream.size() + 1));

    const std::vector<Decoded> whole = decode(stream, stream.size());
    const std::vector<Decoded> pieces = decode(stream, split);
    if (whole.size() != pieces.size()) std::abort();
    for (size_t i = 0; i < whole.size(); ++i) {
        if (whole[i].code != pieces[i].code || whole[i].record != pieces[i].record) std::abort();
    }
    return 0;
}
