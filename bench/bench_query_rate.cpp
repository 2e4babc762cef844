// How many order records per second reach the query callback when 25,000 orders come back in
// pages of 1,000, from moru-sim and from a scripted counter that answers with pages made beforehand
// (the library's own share), beside the plain loopback byte rate of the same data.
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

#include "fake_counter.h"
#include "order_bench_support.h"
#include "sim_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOrders = 25000;
constexpr int kPageSize = 1000;
constexpr int kRounds = 7;

std::mutex g_mu;
std::condition_variable g_cv;
std::atomic<int> g_records{0};
std::atomic<bool> g_loggedIn{false}, g_pageDone{false}, g_more{false};
std::atomic<int32_t> g_next{0};
// Where a page's time goes: from its request to its first record (the counter making the page),
// and from there to its last record (reading and calling back). Written on the library's thread.
Clock::time_point g_sent, g_first;
double g_toFirst = 0, g_toLast = 0;

void onInitTrader(CMoruRspInitTraderField*, CMoruRspInfo* info, int, bool) {
    g_loggedIn = info->ErrorID == 0;
    g_cv.notify_all();
}

void onQryOrder(CMoruRspQryOrderField* r, CMoruRspInfo*, int, bool last) {
    ++g_records;
    if (g_first == Clock::time_point()) g_first = Clock::now();
    if (last) {
        const Clock::time_point now = Clock::now();
        g_toFirst += std::chrono::duration<double>(g_first - g_sent).count();
        g_toLast += std::chrono::duration<double>(now - g_first).count();
        g_first = Clock::time_point();
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

// The 25 pages a counter sends for request ids 10, 11, ...: every record as the terminal reads it.
std::vector<std::vector<uint8_t>> scriptedPages() {
    std::vector<std::vector<uint8_t>> pages;
    std::vector<uint8_t> body(sizeof(CMoruRspInfo) + sizeof(CMoruRspQryOrderField), 0);
    for (int page = 0; page * kPageSize < kOrders; ++page) {
        std::vector<uint8_t> out;
        for (int k = 0; k < kPageSize; ++k) {
            const int n = page * kPageSize + k;
            const bool last = k + 1 == kPageSize;
            CMoruRspQryOrderField r = bench::order(n + 1);
            r.NextPosition = n + 1;
            r.HasMore = last && n + 1 < kOrders;
            std::memcpy(body.data() + sizeof(CMoruRspInfo), &r, sizeof r);
            moru_wire::appendFrame(out, moru_wire::Msg::RspQryOrder, 10 + page,
                                   last ? moru_wire::kFlagLast : 0, body.data(), body.size());
        }
        pages.push_back(std::move(out));
    }
    return pages;
}

struct Run {
    double seconds = 1e9, toFirst = 0, toLast = 0;
};

// Logs in to the counter on `port`, then the best of kRounds full queries.
bool queryRun(int port, Run* best) {
    QTemporaryDir dir;
    QString cfg = fixture::writeConfig(dir, port, 2, 5);
    CMoruTraderSpi spi;
    std::memset(&spi, 0, sizeof spi);
    spi.onRspInitTrader = onInitTrader;
    spi.onRspQryOrder = onQryOrder;
    g_loggedIn = false;
    createTraderApi(0);
    registerSpi(spi, 0);
    if (reqLogin(cfg.toUtf8().constData(), "10880002", "654321", 0, 6, '1', 1) != 0 ||
        !waitFlag(g_loggedIn, 5000)) {
        std::fprintf(stderr, "login failed\n");
        release(0);
        return false;
    }
    bool ok = true;
    for (int round = 0; ok && round < kRounds; ++round) {
        g_records = 0;
        g_next = 0;
        g_toFirst = g_toLast = 0;
        auto t0 = Clock::now();
        bool more = true;
        for (int page = 0; ok && more && page < 100; ++page) {
            CMoruReqQryOrderField q;
            std::memset(&q, 0, sizeof q);
            q.QueryMode = 2;
            q.QueryPosition = g_next;
            g_pageDone = false;
            g_sent = Clock::now();
            ok = reqQryOrder(&q, 10 + page, 0) == 0 && waitFlag(g_pageDone, 10000);
            more = g_more;
        }
        double s = std::chrono::duration<double>(Clock::now() - t0).count();
        if (!ok || g_records != kOrders) {
            std::fprintf(stderr, "got %d records, expected %d\n", g_records.load(), kOrders);
            ok = false;
        } else if (s < best->seconds) {
            *best = Run{s, g_toFirst, g_toLast};
        }
    }
    release(0);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Run fromSim, fromScript;
    {
        fixture::Sim sim;
        if (!sim.start({"--big-account", QString("10880002:%1:1").arg(kOrders), "--page-size",
                        QString::number(kPageSize), "--no-walk"})) {
            std::fprintf(stderr, "cannot start moru-sim\n");
            return 1;
        }
        if (!queryRun(sim.counterPort, &fromSim)) return 1;
    }
    {
        const std::vector<std::vector<uint8_t>> pages = scriptedPages();
        fixture::FakeCounter::Options o;
        o.answer = [&pages](const moru_wire::Header& h, const uint8_t* body, size_t len) {
            CMoruReqQryOrderField q;
            if (moru_wire::Msg(h.type) != moru_wire::Msg::ReqQryOrder || len != sizeof q)
                return std::vector<uint8_t>();
            std::memcpy(&q, body, sizeof q);
            const size_t page = size_t(q.QueryPosition / kPageSize);
            return page < pages.size() ? pages[page] : std::vector<uint8_t>();
        };
        fixture::FakeCounter fake(o);
        if (!queryRun(fake.port(), &fromScript)) return 1;
    }

    size_t frameBytes = moru_wire::kHeaderSize + sizeof(CMoruRspInfo) + sizeof(CMoruRspQryOrderField);
    size_t bytes = frameBytes * kOrders;
    double plain = 1e9;
    for (int round = 0; round < kRounds; ++round) plain = std::min(plain, plainLoopbackSeconds(bytes));

    auto line = [&](const char* what, double seconds) {
        std::printf("  %-40s %10.0f records/s  %8.1f MB/s  (%.1f ms)\n", what, kOrders / seconds,
                    double(bytes) / seconds / 1e6, seconds * 1e3);
    };
    std::printf("order query, %d records in %d pages (best of %d):\n", kOrders, kOrders / kPageSize, kRounds);
    line("through the library from moru-sim:", fromSim.seconds);
    std::printf(
        "    request to first record of each page %.1f ms (the counter making it), first to last %.1f ms\n",
        fromSim.toFirst * 1e3, fromSim.toLast * 1e3);
    line("through the library, scripted counter:", fromScript.seconds);
    line("plain loopback, same bytes:", plain);
    std::printf("  ratio library / plain (time), from moru-sim:      %.1f   (goal <= 2.0)\n",
                fromSim.seconds / plain);
    std::printf("  ratio library / plain (time), scripted counter:   %.1f   (goal <= 2.0)\n",
                fromScript.seconds / plain);
    return 0;
}
