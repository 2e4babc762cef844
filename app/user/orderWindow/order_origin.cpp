#include "user/orderWindow/order_origin.h"

namespace OrderOrigin {
namespace {
bool fromPosition = false;
}  // namespace

void notePositionRow() {
    fromPosition = true;
}

bool takePositionRow() {
    const bool was = fromPosition;
    fromPosition = false;
    return was;
}

}  // namespace OrderOrigin
