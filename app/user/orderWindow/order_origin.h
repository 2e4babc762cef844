#pragma once

// Where the next place-order request comes from. A position row's 下单 notes it just before the hub
// carries its code, so the order window opens on 卖 for it. GUI thread only.
namespace OrderOrigin {

void notePositionRow();
// True once after notePositionRow(); reading it forgets it.
bool takePositionRow();

}  // namespace OrderOrigin
