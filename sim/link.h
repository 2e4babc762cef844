// One client connection as the counter sees it, and one request arriving on it.
#ifndef MORU_SIM_LINK_H
#define MORU_SIM_LINK_H

#include <cstdint>
#include <string>
#include <vector>

#include "moru_wire.h"
#include "records.h"

namespace sim {

struct Session;

// The transport's side: TCP in moru-sim, plain memory in the tests and the fuzzers.
class Link {
public:
    virtual ~Link() = default;
    virtual void send(const std::vector<uint8_t>& bytes) = 0;
    virtual void drop(const std::string& why) = 0;
    std::vector<uint8_t> in;
    uint64_t id = 0;  // given by Counter::attach; sessions know their links by it
    uint8_t kind = 0;
    int sessionId = 0;
    bool dropped = false;
};

// A whole frame, with the session of its link when the message needs one.
struct Request {
    Link& link;
    Session* session;
    const moru_wire::Header& header;
    rec::View body;
};

}  // namespace sim

#endif
