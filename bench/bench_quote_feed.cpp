// Quote frames decoded into the client's cache per second (1,000,000 frames over 5,000 codes,
// names in GBK, fed in socket-sized slices), beside a plain memcpy of the same bytes.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextCodec>
#include <cstdio>
#include <cstring>
#include <vector>

#include "user/queryWindow/stockQuotes/quote_frame_reader.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

namespace {

constexpr int CODES = 5000;
constexpr int TOTAL_FRAMES = 1000000;
constexpr int BUFFER_FRAMES = 20000;  // four rounds over the codes; replayed until the total is reached
constexpr int SLICE = 64 * 1024;      // about what one readyRead brings
constexpr double RATIO_GOAL = 0.10;   // decoded frames per copied frame

QByteArray buildStream() {
    QTextCodec* gbk = QTextCodec::codecForName("GBK");
    const QString names[4] = {QStringLiteral("浦发银行"), QStringLiteral("平安银行"), QStringLiteral("万科A"),
                              QStringLiteral("贵州茅台")};
    QByteArray stream;
    stream.reserve(BUFFER_FRAMES * QUOTE_FRAME_SIZE);
    for (int i = 0; i < BUFFER_FRAMES; ++i) {
        ClientSecurityMarketDataLevel1Header header{QUOTE_MSG_TYPE_LEVEL1};
        ClientSecurityMarketDataLevel1 r;
        std::memset(&r, 0, sizeof r);
        r.LastPrice = 10.0 + i * 0.001;
        const QByteArray code = QByteArray::number(600000 + i % CODES);
        std::memcpy(r.SecurityID, code.constData(), size_t(code.size()));
        const QByteArray name = gbk->fromUnicode(names[i % 4]);
        std::memcpy(r.SecurityName, name.constData(), size_t(name.size()));
        stream.append(reinterpret_cast<const char*>(&header), sizeof header);
        stream.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return stream;
}

// Feeds the stream slice by slice, carrying a partial frame over as the socket buffer would.
template <typename Consume>
double run(const QByteArray& stream, Consume consume) {
    std::vector<char> pending(SLICE + QUOTE_FRAME_SIZE);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < TOTAL_FRAMES / BUFFER_FRAMES; ++round) {
        qint64 held = 0;
        for (qint64 pos = 0; pos < stream.size(); pos += SLICE) {
            const qint64 n = qMin<qint64>(SLICE, stream.size() - pos);
            std::memcpy(pending.data() + held, stream.constData() + pos, size_t(n));
            held += n;
            const qint64 used = consume(pending.data(), held);
            std::memmove(pending.data(), pending.data() + used, size_t(held - used));
            held -= used;
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QByteArray stream = buildStream();

    QuotesTcpClient client(nullptr, QStringLiteral("/nonexistent/moru_bot_config.ini"));
    const double decodeSeconds =
        run(stream, [&](const char* data, qint64 length) { return client.ingest(data, length); });
    if (client.marketDataMap().size() != CODES) {
        std::fprintf(stderr, "cache holds %d codes, expected %d\n", client.marketDataMap().size(), CODES);
        return 1;
    }

    std::vector<char> sink(SLICE + QUOTE_FRAME_SIZE);
    volatile char keep = 0;
    const double copySeconds = run(stream, [&](const char* data, qint64 length) {
        const qint64 whole = length / QUOTE_FRAME_SIZE * QUOTE_FRAME_SIZE;
        std::memcpy(sink.data(), data, size_t(whole));
        keep = keep + sink[0];
        return whole;
    });

    const double decodeRate = TOTAL_FRAMES / decodeSeconds;
    const double copyRate = TOTAL_FRAMES / copySeconds;
    std::printf("quote feed: %d frames over %d codes\n", TOTAL_FRAMES, CODES);
    std::printf("  decoded into the cache: %12.0f frames/s (%.3f s)\n", decodeRate, decodeSeconds);
    std::printf("  plain memcpy baseline:  %12.0f frames/s (%.3f s)\n", copyRate, copySeconds);
    std::printf("  ratio baseline/decode:  %12.1f\n", copyRate / decodeRate);
    std::printf("  ratio decode/baseline:  %12.3f   goal >= %.2f: %s\n", decodeRate / copyRate, RATIO_GOAL,
                decodeRate / copyRate >= RATIO_GOAL ? "met" : "NOT met");
    return 0;
}
