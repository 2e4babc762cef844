// How many order records per second reach the query callback when 25,000 orders
// come back in pages from moru-sim, beside the plain loopback byte rate of the same data.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "sim_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOrders = 25000;

std::mutex g_mu;
std::condition_variable g_cv;
std::atomic<int> g_records{0};
std::atomic<bool> g_loggedIn{false}, g_pageDone{false}, g_more{false};
std::atomic<int32_t> g_next{0};

void onInitTrader(CMoruRspInitTraderField*, CMoruRspInfo* info, int, bool) {
    g_loggedIn = info->ErrorID == 0;
    g_cv.notify_all();
}

void onQryOrder(CMoruRspQryOrderField* r, CMoruRspInfo*, int, bool last) {
    ++g_records;
    if (last) {
        g_more = r->HasMore != 0;
        g_next = r->NextPosition;
        std::lock_guard<std::mutex> lock(g_mu);
        g_pageDone = true;
        g_cv.notify_all();
    }
}

bool waitFlag(std::atomic<bool>& f, int ms) {
    std::unique_lock<std::mutex> lock(g_mu);
    return g_cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return f.load(); });
}

// The same number of bytes the query moves, written and read over a plain loopback socket.
double plainLoopbackSeconds(size_t bytes) {
    asio::io_context io;
    asio::ip::tcp::acceptor acc(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    uint16_t port = acc.local_endpoint().port();
    std::thread writer([&] {
        asio::io_context wio;
        asio::ip::tcp::socket s(wio);
        s.connect(asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
        std::vector<uint8_t> chunk(64 * 1024, 0x5a);
        size_t left = bytes;
        while (left) {
            size_t n = std::min(left, chunk.size());
            asio::write(s, asio::buffer(chunk.data(), n));
            left -= n;
        }
    });
    asio::ip::tcp::socket r = acc.accept();
    std::vector<uint8_t> buf(64 * 1024);
    auto t0 = Clock::now();
    size_t got = 0;
    asio::error_code ec;
    while (got < bytes && !ec) got += r.read_some(asio::buffer(buf), ec);
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    writer.join();
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    fixture::Sim sim;
    if (!sim.start(
            {"--big-account", QString("10880002:%1:1").arg(kOrders), "--page-size", "1000", "--no-walk"})) {
        std::fprintf(stderr, "cannot start moru-sim\n");
        return 1;
    }
    QTemporaryDir dir;
    QString cfg = fixture::writeConfig(dir, sim.counterPort, 2, 5);
    CMoruTraderSpi spi;
    std::memset(&spi, 0, sizeof spi);
    spi.onRspInitTrader = onInitTrader;
    spi.onRspQryOrder = onQryOrder;
    createTraderApi(0);
    registerSpi(spi, 0);
    if (reqLogin(cfg.toUtf8().constData(), "10880002", "654321", 0, 6, '1', 1) != 0 ||
        !waitFlag(g_loggedIn, 5000)) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }

    const int rounds = 5;
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        g_records = 0;
        g_next = 0;
        auto t0 = Clock::now();
        bool more = true;
        for (int page = 0; more && page < 100; ++page) {
            CMoruReqQryOrderField q;
            std::memset(&q, 0, sizeof q);
            q.QueryMode = 2;
            q.QueryPosition = g_next;
            g_pageDone = false;
            if (reqQryOrder(&q, 10 + page, 0) != 0 || !waitFlag(g_pageDone, 10000)) {
                std::fprintf(stderr, "query failed\n");
                return 1;
            }
            more = g_more;
        }
        double s = std::chrono::duration<double>(Clock::now() - t0).count();
        if (g_records != kOrders) {
            std::fprintf(stderr, "got %d records, expected %d\n", g_records.load(), kOrders);
            return 1;
        }
        best = std::min(best, s);
    }
    release(0);

    size_t frameBytes = moru_wire::kHeaderSize + sizeof(CMoruRspInfo) + sizeof(CMoruRspQryOrderField);
    size_t bytes = frameBytes * kOrders;
    double plain = 1e9;
    for (int round = 0; round < rounds; ++round) plain = std::min(plain, plainLoopbackSeconds(bytes));

    double recRate = kOrders / best;
    double plainRate = kOrders / plain;
    std::printf("order query, %d records in 25 pages (best of %d):\n", kOrders, rounds);
    std::printf("  through the library to the callback: %10.0f records/s  %8.1f MB/s  (%.1f ms)\n", recRate,
                recRate * double(frameBytes) / 1e6, best * 1e3);
    std::printf("  plain loopback, same bytes:          %10.0f records/s  %8.1f MB/s  (%.1f ms)\n", plainRate,
                double(bytes) / plain / 1e6, plain * 1e3);
    std::printf("  ratio plain / library: %.1f\n", plainRate / recRate);
    return 0;
}
