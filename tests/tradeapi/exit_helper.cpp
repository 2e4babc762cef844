// Logs in through the trading library and ends with exit(), as the terminal does when its window
// closes; with "release" it releases the entry first. Exit status 0 once the login completed.
//   tradeapi_exit_helper CONFIG exit|release
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "moru_securities_api.h"

namespace {

std::atomic<int> g_initTrader{-1};  // error id of the trade link's login answer

void onRspInitTrader(CMoruRspInitTraderField*, CMoruRspInfo* info, int, bool) {
    g_initTrader = info ? info->ErrorID : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string mode = argv[2];
    if (createTraderApi(0) != 0) return 3;
    CMoruTraderSpi spi;
    std::memset(&spi, 0, sizeof spi);
    spi.onRspInitTrader = onRspInitTrader;
    registerSpi(spi, 0);
    if (reqLogin(argv[1], "10880001", "123456", 0, 6, '1', 1) != 0) return 4;
    for (int i = 0; i < 1000 && g_initTrader < 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (g_initTrader != 0) return 5;
    if (mode == "release") release(0);
    std::exit(0);
}
