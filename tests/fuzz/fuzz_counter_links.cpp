// Several client links on one counter, living across sessions: the input is a script of
// steps (log in, join a session with its token, send requests or raw bytes, close a link,
// drop links by control, let time pass). Links are on the heap and freed when they close,
// so a session that still reaches a closed link is caught by the sanitizer.
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "counter.h"
#include "counter_fuzz_data.h"

namespace {

constexpr size_t kLinks = 4;

// Keeps the token of the last manager login answered on it; a drop is noticed by the script,
// which closes the link the way the TCP front does.
struct ScriptLink : sim::Link {
    std::string token;
    void send(const std::vector<uint8_t>& bytes) override {
        size_t off = 0;
        moru_wire::Header h;
        while (moru_wire::decodeHeader(bytes.data() + off, bytes.size() - off, h, nullptr) ==
               moru_wire::Parse::Ok) {
            const uint8_t* body = bytes.data() + off + moru_wire::kHeaderSize;
            if (h.type == uint16_t(moru_wire::Msg::RspLoginManager) &&
                h.bodyLen >= moru_wire::kRspInfoSize + moru_wire::LoginRspBody::kSize &&
                moru_wire::getU32(body) == 0)
                token = moru_wire::fixedText(body + moru_wire::kRspInfoSize + moru_wire::LoginRspBody::kToken,
                                             24);
            off += moru_wire::kHeaderSize + h.bodyLen;
        }
    }
    void drop(const std::string&) override {}
};

class Reader {
public:
    Reader(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    bool done() const { return at_ >= n_; }
    uint8_t byte() { return at_ < n_ ? d_[at_++] : 0; }
    std::vector<uint8_t> bytes(size_t k) {
        k = std::min(k, n_ - at_);
        std::vector<uint8_t> out(d_ + at_, d_ + at_ + k);
        at_ += k;
        return out;
    }

private:
    const uint8_t* d_;
    size_t n_;
    size_t at_ = 0;
};

const moru_wire::Msg kRequests[] = {
    moru_wire::Msg::ReqInsertOrder,
    moru_wire::Msg::ReqCancelOrder,
    moru_wire::Msg::ReqTenderOffer,
    moru_wire::Msg::ReqWarrantExercise,
    moru_wire::Msg::ReqQryOrder,
    moru_wire::Msg::ReqQryTrade,
    moru_wire::Msg::ReqQryPosition,
    moru_wire::Msg::ReqQryFund,
    moru_wire::Msg::ReqQryInOutFundRecord,
    moru_wire::Msg::ReqQryBTFundTransferRecord,
    moru_wire::Msg::ReqInFund,
    moru_wire::Msg::ReqOutFund,
    moru_wire::Msg::ReqBTFundTransfer,
    moru_wire::Msg::ReqUpdatePwd,
    moru_wire::Msg::ReqLogout,
    moru_wire::Msg::Heartbeat,
};

struct Account {
    const char* id;
    const char* password;
};
const Account kAccounts[] = {{"10880001", "123456"}, {"10880002", "654321"}, {"10880003", "111111"}};

class Script {
public:
    Script() : counter_(options()) {
        fuzzdata::load(counter_);
        counter_.schedule = [this](int, std::function<void()> fn) { due_.push_back(std::move(fn)); };
        for (auto& l : links_) open(l);
    }
    ~Script() {
        due_.clear();
        for (auto& l : links_) counter_.onClosed(*l);
    }

    void step(Reader& in) {
        const uint8_t op = in.byte();
        std::unique_ptr<ScriptLink>& l = links_[(op >> 4) % kLinks];
        switch (op % 8) {
            case 0:
                feed(*l, in.bytes(in.byte()));
                break;
            case 1: {
                const Account& a = kAccounts[in.byte() % 3];
                feed(*l, fuzzdata::loginFrame(a.id, a.password, in.byte() % 2 ? '2' : '1'));
                break;
            }
            case 2:  // join the session another link logged in to
                join(*l, *links_[in.byte() % kLinks], in.byte() % 2);
                break;
            case 3:
                close(l);
                break;
            case 4: {
                std::vector<uint8_t> body(moru_wire::ControlBody::kSize, 0);
                body[moru_wire::ControlBody::kCommand] = uint8_t(1 + in.byte() % 6);
                if (in.byte() % 2)
                    moru_wire::putText(body.data() + moru_wire::ControlBody::kAccount, 16, kAccounts[0].id);
                frame(*l, moru_wire::Msg::Control, body);
                break;
            }
            case 5:
                counter_.matchResting();
                break;
            case 6:
                runDue();
                break;
            default:
                frame(*l, kRequests[in.byte() % (sizeof kRequests / sizeof kRequests[0])],
                      in.bytes(in.byte()));
                break;
        }
        // What the TCP front does with a link the counter dropped: it closes.
        for (auto& link : links_)
            if (link->dropped) close(link);
    }

private:
    static sim::Options options() {
        sim::Options o;
        o.pageSize = 7;
        o.transferStepMs = 0;
        return o;
    }
    void open(std::unique_ptr<ScriptLink>& l) {
        l = std::make_unique<ScriptLink>();
        counter_.attach(*l);
    }
    void close(std::unique_ptr<ScriptLink>& l) {
        counter_.onClosed(*l);
        open(l);
    }
    void feed(ScriptLink& l, const std::vector<uint8_t>& bytes) {
        counter_.onData(l, bytes.data(), bytes.size());
    }
    void frame(ScriptLink& l, moru_wire::Msg type, const std::vector<uint8_t>& body) {
        std::vector<uint8_t> f;
        moru_wire::appendFrame(f, type, 1, 0, body.data(), body.size());
        feed(l, f);
    }
    void join(ScriptLink& l, const ScriptLink& holder, bool trade) {
        std::vector<uint8_t> body(moru_wire::LoginBody::kSize, 0);
        moru_wire::putText(body.data() + moru_wire::LoginBody::kToken, 24, holder.token);
        frame(l, trade ? moru_wire::Msg::ReqInitTrader : moru_wire::Msg::ReqLogin, body);
    }
    void runDue() {
        // Transfer steps schedule their next step: run only what was due when asked.
        std::deque<std::function<void()>> now;
        now.swap(due_);
        for (auto& fn : now) fn();
    }

    sim::Counter counter_;
    std::array<std::unique_ptr<ScriptLink>, kLinks> links_;
    std::deque<std::function<void()>> due_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    Script script;
    for (int steps = 0; !in.done() && steps < 256; ++steps) script.step(in);
    return 0;
}
