#include "utils/private_requests.h"

#include <QSet>

namespace PrivateRequests {
namespace {
QSet<int>& ids() {
    static QSet<int> set;
    return set;
}
}  // namespace

void add(int requestId) {
    ids().insert(requestId);
}

void remove(int requestId) {
    ids().remove(requestId);
}

bool contains(int requestId) {
    return ids().contains(requestId);
}

}  // namespace PrivateRequests
