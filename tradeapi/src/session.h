// One API entry: three links to the counter (manager, query, trade), the login
// sequence across them, and the threads that run it all.
#ifndef MORU_TRADEAPI_SESSION_H
#define MORU_TRADEAPI_SESSION_H

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config.h"
#include "dispatch.h"
#include "error_texts.h"
#include "link.h"
#include "moru_securities_api.h"
#include "moru_wire.h"

namespace moru {

class Session {
public:
    explicit Session(int entryNo);
    ~Session();

    void setSpi(const CMoruTraderSpi& spi);
    int login(const Config& cfg, const std::string& account, const std::string& password, int node,
              char market, int requestId);
    int request(uint8_t linkKind, moru_wire::Msg type, int requestId, const void* rec, size_t len);
    const char* errorText(int id, char market) const { return errors_.find(id, market); }
    // Closes the links and joins the threads; a second call returns once the first has finished.
    // False when called on one of this session's own threads.
    bool stop();
    // True on a thread of any session.
    static bool onLibraryThread();

    // From the links, on their strands.
    bool onFrame(Link& l, const moru_wire::Header& h, const uint8_t* body, size_t len, std::string* why);
    void onLinkLost(Link& l, int reason, const std::string& why);
    void apiMsg(int level, const std::string& text);

private:
    void startLink(uint8_t kind, const std::vector<Address>& addrs);
    void onConnected(uint8_t kind, ConnectResult r);
    void failStep(uint8_t kind, const char* text);
    void closeAllQuietly();
    std::vector<uint8_t> loginBody(uint8_t kind) const;
    // Empty when the frame fits the state of its link, else why it does not.
    std::string misfit(const Link& l, const Frame& f) const;
    void onLoginAnswer(Link& l, const Frame& f);
    void onDataReady(Link& l, const Frame& f);
    void onErrorTable(const Frame& f);

    int entryNo_;
    CMoruTraderSpi spi_{};
    Dispatcher dispatcher_{&spi_};
    ErrorTexts errors_;
    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    std::shared_ptr<Link> links_[4];

    // Threads are started under lifeMu_ and only when not stopping, so a stop never misses one.
    std::mutex lifeMu_;
    std::vector<std::thread> threads_;
    bool loginStarted_ = false;
    std::atomic<bool> stopping_{false};
    std::mutex stopMu_;  // held for a whole stop
    bool stopped_ = false;

    mutable std::mutex mu_;
    Config cfg_;
    std::string account_, password_, token_;
    int node_ = 0;
    char market_ = '0';
    int loginRequestId_ = 0;
    int dataReadyNeeded_ = 2, dataReadySeen_ = 0;
    bool tradeStarted_ = false;
};

// Error id of the library's own refusals (no counter within the time-out, a name that does not resolve).
constexpr int kErrNoCounter = 9001;

}  // namespace moru

#endif
