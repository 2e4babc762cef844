#include "utils/key_bindings.h"

#include <QDebug>

#include "utils/desk_settings.h"

namespace KeyBindings {

const QList<Action>& workspaceActions() {
    static const QList<Action> actions = {
        {QStringLiteral("buy"), QStringLiteral("F1")},
        {QStringLiteral("sell"), QStringLiteral("F2")},
        {QStringLiteral("orders"), QStringLiteral("F3")},
        {QStringLiteral("positions"), QStringLiteral("F4")},
        {QStringLiteral("refresh"), QStringLiteral("F5")},
        {QStringLiteral("hideOrder"), QStringLiteral("Esc")},
    };
    return actions;
}

namespace {
// One key, no chord; empty when the text is not one.
QKeySequence parseKey(const QString& text) {
    const QKeySequence key = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (key.count() != 1 || key[0] == Qt::Key_unknown) return QKeySequence();
    return key;
}
}  // namespace

QMap<QString, QKeySequence> resolve(const QList<Action>& actions,
                                    const std::function<QString(const QString&)>& configured,
                                    QStringList* problems) {
    QMap<QString, QKeySequence> keys;
    QMap<QString, QKeySequence> defaults;
    for (const Action& a : actions) {
        defaults.insert(a.name, parseKey(a.defaultKey));
        const QString text = configured ? configured(a.name) : QString();
        QKeySequence key = text.trimmed().isEmpty() ? defaults.value(a.name) : parseKey(text);
        if (key.isEmpty()) {
            if (problems)
                *problems << QStringLiteral("moru-desk.ini: key %1 of %2 cannot be read, default %3 used")
                                 .arg(text, a.name, a.defaultKey);
            key = defaults.value(a.name);
        }
        keys.insert(a.name, key);
    }
    // Every use of a shared key goes back to its default; that may free or take another key, so
    // look again until nothing changes.
    for (;;) {
        bool changed = false;
        for (int i = 0; i < actions.size(); ++i) {
            for (int j = i + 1; j < actions.size(); ++j) {
                const QString& a = actions.at(i).name;
                const QString& b = actions.at(j).name;
                const QKeySequence shared = keys.value(a);
                if (shared.isEmpty() || shared != keys.value(b)) continue;
                if (problems)
                    *problems << QStringLiteral(
                                     "moru-desk.ini: key %1 is bound to both %2 and %3, defaults used")
                                     .arg(shared.toString(QKeySequence::PortableText), a, b);
                bool moved = false;
                for (const QString& name : {a, b}) {
                    if (keys.value(name) == defaults.value(name)) continue;
                    keys.insert(name, defaults.value(name));
                    moved = true;
                }
                // Both at their defaults and still equal: the later one goes without.
                if (!moved) keys.insert(b, QKeySequence());
                changed = true;
            }
        }
        if (!changed) break;
    }
    return keys;
}

QMap<QString, QKeySequence> fromSettings() {
    const DeskSettings& settings = DeskSettings::instance();
    QStringList problems;
    const auto keys = resolve(
        workspaceActions(),
        [&settings](const QString& name) { return settings.text(QStringLiteral("keys/") + name, QString()); },
        &problems);
    for (const QString& line : problems) qWarning().noquote() << line;
    return keys;
}

}  // namespace KeyBindings
