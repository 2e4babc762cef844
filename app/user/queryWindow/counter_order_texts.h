#pragma once

#include "user/queryWindow/order_rows.h"

// The order rows' lookups as the terminal answers them: error texts from the error table (or the
// trading library), security type names from the code table of the market logged in to.
OrderTexts counterOrderTexts();
