#include "control.h"

#include "error_texts.h"
#include "reply.h"

namespace sim {

using moru_wire::Msg;

void Control::dropLinks(int kind, const std::string& account) {
    // The state the counter keeps is untouched: the sessions end as their links close.
    for (Link* l : sessions_.links(account, kind))
        if (!l->dropped) {
            l->drop("dropped on request");
            l->dropped = true;
        }
}

int Control::apply(uint8_t cmd, int32_t arg, const std::string& account) {
    switch (cmd) {
        case moru_wire::kCtlDropAll:
            dropLinks(0, account);
            return 0;
        case moru_wire::kCtlDropManager:
            dropLinks(moru_wire::kLinkManager, account);
            return 0;
        case moru_wire::kCtlDropQuery:
            dropLinks(moru_wire::kLinkQuery, account);
            return 0;
        case moru_wire::kCtlDropTrade:
            dropLinks(moru_wire::kLinkTrade, account);
            return 0;
        case moru_wire::kCtlHeartbeatsOff:
            opt_.heartbeatsOff = true;
            return 0;
        case moru_wire::kCtlHeartbeatsOn:
            opt_.heartbeatsOff = false;
            return 0;
        case moru_wire::kCtlQuoteGarbage:
        case moru_wire::kCtlQuotePartial:
        case moru_wire::kCtlQuotePublishNow:
            if (!quoteControl_) return err::kTransferRefused;
            quoteControl_(cmd, arg);
            return 0;
        default:
            return err::kBadSideOrType;
    }
}

void Control::onControl(const Request& r) {
    using C = moru_wire::ControlBody;
    const int e =
        apply(r.body.get<uint8_t>(C::kCommand), r.body.get<int32_t>(C::kArg), r.body.text(C::kAccount, 16));
    // The asker may have dropped itself.
    if (!r.link.dropped) reply(r.link, Msg::RspControl, r.header.requestId, true, e, "", nullptr);
}

void Control::onHeartbeat(const Request& r) {
    if (opt_.heartbeatsOff) return;
    std::vector<uint8_t> out;
    moru_wire::appendFrame(out, Msg::Heartbeat, 0, 0, nullptr, 0);
    r.link.send(out);
}

}  // namespace sim
