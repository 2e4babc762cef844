#pragma once

#include <QString>

// The shared frame style of the text inputs; only the selector and the border colour change.
inline QString inputStyleSheet(const char* selector, const char* borderColour) {
    return QStringLiteral(
               "%1 {border: 1px solid %2;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, "
               "191);font: normal normal 15px \"Microsoft YaHei\";background: transparent;}")
        .arg(QLatin1String(selector), QLatin1String(borderColour));
}

inline const char* const kNormalBorder = "rgb(192,191,191)";
inline const char* const kFocusBorder = "#87CEEB";
