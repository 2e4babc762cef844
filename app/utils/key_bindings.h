#pragma once

#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// The terminal's keys: each action has a default, [keys] of moru-desk.ini may set another. A key
// that two actions would share is refused: both keep their defaults, and a log line names both uses.
namespace KeyBindings {

struct Action {
    QString name;  // the key's name in [keys]
    QString defaultKey;
};

// Order window on 买 / 卖, order page, position page, search the page shown, hide the order window.
const QList<Action>& workspaceActions();

// Action name -> key. `configured` gives the text set for an action (empty: not set). An unreadable
// key text falls back to the default with a line in `problems`; so does every use of a key bound
// twice. An action whose default is also taken by then stays without a key.
QMap<QString, QKeySequence> resolve(const QList<Action>& actions,
                                    const std::function<QString(const QString&)>& configured,
                                    QStringList* problems);

// resolve() with [keys] of moru-desk.ini; problems go to the log.
QMap<QString, QKeySequence> fromSettings();

}  // namespace KeyBindings
