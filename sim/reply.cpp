#include "reply.h"

#include <cstring>

#include "error_texts.h"

namespace sim {

void reply(Link& l, moru_wire::Msg type, int32_t requestId, bool last, int errorId,
           const std::string& errText, const std::vector<uint8_t>* record) {
    std::vector<uint8_t> body(rec::kRspInfo + (record ? record->size() : 0), 0);
    const int32_t e = errorId;
    std::memcpy(body.data(), &e, 4);
    moru_wire::putText(body.data() + 4, moru_wire::kErrorMsgSize, errText);
    if (record && !record->empty()) std::memcpy(body.data() + rec::kRspInfo, record->data(), record->size());
    std::vector<uint8_t> out;
    moru_wire::appendFrame(out, type, requestId, last ? moru_wire::kFlagLast : 0, body.data(), body.size());
    l.send(out);
}

void answer(Link& l, moru_wire::Msg type, int32_t requestId, int errorId,
            const std::vector<uint8_t>& record) {
    reply(l, type, requestId, true, errorId, errorId ? rspErrorText(errorId) : std::string(), &record);
}

void answerError(Link& l, moru_wire::Msg type, int32_t requestId, size_t recordSize, int errorId) {
    const std::vector<uint8_t> empty(recordSize, 0);
    answer(l, type, requestId, errorId, empty);
}

}  // namespace sim
