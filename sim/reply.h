// Answers on the wire: the response info (error number and text) and the record after it.
#ifndef MORU_SIM_REPLY_H
#define MORU_SIM_REPLY_H

#include <cstdint>
#include <string>
#include <vector>

#include "link.h"

namespace sim {

void reply(Link& l, moru_wire::Msg type, int32_t requestId, bool last, int errorId,
           const std::string& errText, const std::vector<uint8_t>* record);
// The last (or only) answer: with the counter's text for `errorId`, none when it is 0.
void answer(Link& l, moru_wire::Msg type, int32_t requestId, int errorId, const std::vector<uint8_t>& record);
// An error answer with a zero-filled record of `recordSize` bytes.
void answerError(Link& l, moru_wire::Msg type, int32_t requestId, size_t recordSize, int errorId);

}  // namespace sim

#endif
