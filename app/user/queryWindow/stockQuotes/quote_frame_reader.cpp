#include "quote_frame_reader.h"

#include <QByteArray>
#include <QHash>
#include <QTextCodec>
#include <cstring>

namespace {

QTextCodec* wireCodec() {
    // Looking a codec up by name takes a global lock; do it once.
    static QTextCodec* const codec = [] {
        QTextCodec* gbk = QTextCodec::codecForName("GBK");
        return gbk ? gbk : QTextCodec::codecForLocale();
    }();
    return codec;
}

// Each codec call sets up a converter, which costs far more than the rest of a frame; a code's name
// rarely changes, so each thread remembers the names it has converted.
QByteArray gbkToUtf8(const char* text, int length) {
    constexpr int maxRemembered = 1 << 16;
    thread_local QHash<QByteArray, QByteArray> converted;
    const QByteArray raw = QByteArray::fromRawData(text, length);
    const auto it = converted.constFind(raw);
    if (it != converted.constEnd()) return it.value();
    if (converted.size() >= maxRemembered) converted.clear();
    const QByteArray utf8 = wireCodec()->toUnicode(text, length).toUtf8();
    converted.insert(QByteArray(text, length), utf8);
    return utf8;
}

bool isAscii(const char* text, int length) {
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

}  // namespace

void convertSecurityNameToUtf8(ClientSecurityMarketDataLevel1& record) {
    constexpr int width = static_cast<int>(sizeof record.SecurityName);
    char* const name = record.SecurityName;
    const int rawLength = static_cast<int>(strnlen(name, width));

    // ASCII reads the same in both encodings; only the terminator may need room.
    if (isAscii(name, rawLength)) {
        if (rawLength == width) name[width - 1] = '\0';
        return;
    }

    const QByteArray utf8 = gbkToUtf8(name, rawLength);
    int keep = qMin(utf8.size(), width - 1);
    // Step back over continuation bytes so no character is split.
    if (keep < utf8.size()) {
        while (keep > 0 && (static_cast<unsigned char>(utf8.at(keep)) & 0xC0) == 0x80) --keep;
    }
    std::memcpy(name, utf8.constData(), static_cast<size_t>(keep));
    std::memset(name + keep, 0, static_cast<size_t>(width - keep));
}

QuoteFrameReadResult readQuoteFrames(const char* data, qint64 length, const QuoteRecordSink& sink) {
    return walkQuoteFrames(data, length, [&sink](const char* wire) {
        ClientSecurityMarketDataLevel1 record;
        std::memcpy(&record, wire, sizeof record);
        convertSecurityNameToUtf8(record);
        if (sink) sink(quoteSecurityId(record), record);
    });
}
