#include "user/queryWindow/counter_order_texts.h"

#include "utils/error_msg.h"
#include "utils/rsp_convert_config.h"

OrderTexts counterOrderTexts() {
    OrderTexts texts;
    texts.errorText = [](int code) { return ErrorMsg::instance()->getErrorMsgById(code); };
    texts.securityType = [](uint8_t type) {
        return RspConvertConfig::instance()->TMoruSecuritiesTypeConvert(type);
    };
    return texts;
}
