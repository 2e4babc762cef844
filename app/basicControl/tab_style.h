#pragma once

#include <QString>

// The tab bar look of the workspace and the order window. They differ only in the gradient's
// lower half: the workspace fades from 40 % to white at the bottom, the order window is white from
// half way.
enum class TabGradient { FadeToBottom, WhiteFromHalf };

inline QString tabBarStyle(TabGradient gradient) {
    const QString stops =
        gradient == TabGradient::WhiteFromHalf
            ? QStringLiteral("stop:0 #b0e2ff, stop:0.4 #b0e2ff, stop:0.5 white, stop:1 white")
            : QStringLiteral("stop:0 #b0e2ff, stop:0.4 #b0e2ff, stop:1 white");
    return QStringLiteral(
               "QTabBar::tab{background: qlineargradient(x1:0, y1:0, x2:0, y2:1, %1);"
               "border: 2px solid #C4C4C3;border-bottom-color: #C2C7CB;border-top-left-radius: 4px;"
               "border-top-right-radius: 4px;min-width: 8px;padding: 2px;}"
               "QTabBar::tab:hover{background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafafa, "
               "stop:0.4 #f4f4f4, stop:0.5 #e7e7e7, stop:1 #fafafa);}"
               "QTabBar::tab:selected{border-color: #9B9B9B;border-bottom-color: red;}"
               "QTabBar::tab:!selected{margin-top: 2px;}")
        .arg(stops);
}
