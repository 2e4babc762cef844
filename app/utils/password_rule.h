#pragma once

#include <QString>

// The login sends the password as Latin-1 and the password change as UTF-8; only printable ASCII is
// the same bytes in both. A password with any other character could be set but never typed back in.
bool isSendablePassword(const QString& password);
