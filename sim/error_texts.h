// The counter's error numbers, the texts it puts into responses (GBK, English or empty)
// and the full Chinese table it hands the library after login (GBK).
#ifndef MORU_SIM_ERROR_TEXTS_H
#define MORU_SIM_ERROR_TEXTS_H

#include <string>
#include <vector>

namespace sim {

namespace err {
// Login.
constexpr int kUnknownAccount = 1001, kWrongPassword = 1002, kBadNode = 1003, kMarketNotOpen = 1004,
              kAlreadyLoggedIn = 1005, kLinkHasSession = 1006;
// Orders.
constexpr int kUnknownSecurity = 2001, kOutsideLimits = 2002, kOffTick = 2003, kBadQuantity = 2004,
              kNoFunds = 2005, kNoPosition = 2006, kPriceTypeRefused = 2007, kNotAnEtf = 2008,
              kNotCancellable = 2009, kBadSideOrType = 2010, kBadTenderOffer = 2011, kNoExercise = 2012;
// Funds.
constexpr int kNotWithdrawable = 3001, kBadAmount = 3002, kTransferRefused = 3003;
// Password.
constexpr int kOldPasswordWrong = 4001, kBadNewPassword = 4002;
// Queries.
constexpr int kNoRecords = 5001;
}  // namespace err

std::string rspErrorText(int errorId);
std::string fullErrorText(int errorId);
std::vector<int> knownErrorIds();
std::string toGbk(const std::string& utf8);

}  // namespace sim

#endif
