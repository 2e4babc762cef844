// Who is logged in on which connections: the three login steps, logout, the password
// change, and every link the counter holds, known by id so a closed one is never reached.
#ifndef MORU_SIM_SESSIONS_H
#define MORU_SIM_SESSIONS_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ledger.h"
#include "link.h"
#include "options.h"

namespace sim {

struct Session {
    int id = 0;
    Account* account = nullptr;
    char market = '1';
    int node = 0;
    std::string token;
    uint64_t links[4] = {};  // link ids by kind; 0 = none
    bool loggedOut = false;

    FundAccount& funds() const { return account->markets[market]; }
};

class Sessions {
public:
    Sessions(Ledger& ledger, const Options& opt) : ledger_(ledger), opt_(opt) {}

    void attach(Link& l);
    // Forgets the link everywhere; a session that loses a link has ended.
    void closed(Link& l);
    // The live session of the link, or null.
    Session* of(const Link& l);
    // The session's link of that kind, when it is still open.
    Link* link(int sessionId, uint8_t kind);
    // Where news of an account goes: the link of that kind of the session that asked, or once
    // that has ended, of the account's live session in `market` (any market when 0).
    Link* linkFor(int sessionId, const Account* account, char market, uint8_t kind);
    // Links of every session of `account` (every account when empty); kind 0 = all kinds.
    std::vector<Link*> links(const std::string& account, int kind);

    void onLoginManager(const Request& r);
    void onLogin(const Request& r);
    void onInitTrader(const Request& r);
    void onLogout(const Request& r);
    void onUpdatePwd(const Request& r);

private:
    int checkCredentials(const std::string& account, const std::string& password, int node, char market);
    Session* byToken(const std::string& token);
    bool refuseSecondLogin(const Request& r, moru_wire::Msg answer);
    void join(Session& s, Link& l, uint8_t kind);
    std::vector<uint8_t> loginAnswer(const Session& s) const;
    std::vector<uint8_t> errorTable(char market) const;

    Ledger& ledger_;
    const Options& opt_;
    std::map<int, Session> sessions_;
    std::map<uint64_t, Link*> links_;
    int nextSession_ = 1;
    uint64_t nextLinkId_ = 1;
};

}  // namespace sim

#endif
