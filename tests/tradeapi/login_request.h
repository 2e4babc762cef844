// The login request as the library writes it, for tests that speak to the counter themselves.
#ifndef MORU_TESTS_LOGIN_REQUEST_H
#define MORU_TESTS_LOGIN_REQUEST_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "moru_wire.h"

namespace fixture {

// What a login step carries: the manager step names the account; the query and trade steps carry the
// session token from the manager's answer.
struct LoginRequest {
    std::string account, password, token;
    char market = 0;
    int32_t node = 0;
};

inline std::vector<uint8_t> loginBody(const LoginRequest& r) {
    using B = moru_wire::LoginBody;
    std::vector<uint8_t> body(B::kSize, 0);
    moru_wire::putText(body.data() + B::kAccount, 16, r.account);
    moru_wire::putText(body.data() + B::kPassword, 32, r.password);
    std::memcpy(body.data() + B::kNode, &r.node, 4);
    body[B::kMarket] = uint8_t(r.market);
    moru_wire::putText(body.data() + B::kToken, 24, r.token);
    return body;
}

// The manager login of a demo account on node 6, as one frame.
inline std::vector<uint8_t> managerLoginFrame(const std::string& account, const std::string& password,
                                              char market) {
    const std::vector<uint8_t> body = loginBody({account, password, {}, market, 6});
    std::vector<uint8_t> f;
    moru_wire::appendFrame(f, moru_wire::Msg::ReqLoginManager, 1, 0, body.data(), body.size());
    return f;
}

}  // namespace fixture

#endif
