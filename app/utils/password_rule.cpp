#include "utils/password_rule.h"

bool isSendablePassword(const QString& password) {
    for (const QChar c : password) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    }
    return true;
}
