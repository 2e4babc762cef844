#include "utils/dialog_seam.h"

#include <QDebug>
#include <QFileDialog>
#include <QPushButton>
#include <QSet>
#include <vector>

namespace DialogSeam {
namespace {
BoxHandler& boxHandler() {
    static BoxHandler handler;
    return handler;
}
ChoiceHandler& choiceHandler() {
    static ChoiceHandler handler;
    return handler;
}
SaveHandler& saveHandler() {
    static SaveHandler handler;
    return handler;
}

// GUI thread only, like every dialog.
int depth = 0;
quint64 sessionNumber = 0;
std::vector<std::function<void()>> pending;
QSet<const void*> ownersWithBox;

// Counts the dialog as open while it runs; tells afterwards whether the session ended meanwhile.
class OpenDialog {
public:
    OpenDialog() : m_session(sessionNumber) { ++depth; }
    ~OpenDialog() {
        if (--depth > 0) return;
        // Actions may open dialogs of their own; take the list first.
        std::vector<std::function<void()>> actions;
        actions.swap(pending);
        for (auto& action : actions) action();
    }
    bool sessionEnded() const { return sessionNumber != m_session; }

private:
    quint64 m_session;
};

QMessageBox::StandardButton realBox(Kind kind, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    switch (kind) {
        case Kind::Information:
            return QMessageBox::information(nullptr, title, text, buttons, defaultButton);
        case Kind::Question:
            return QMessageBox::question(nullptr, title, text, buttons, defaultButton);
        case Kind::Warning:
            return QMessageBox::warning(nullptr, title, text, buttons, defaultButton);
        case Kind::Critical:
            break;
    }
    return QMessageBox::critical(nullptr, title, text, buttons, defaultButton);
}

QMessageBox::Icon iconOf(Kind kind) {
    switch (kind) {
        case Kind::Information:
            return QMessageBox::Information;
        case Kind::Question:
            return QMessageBox::Question;
        case Kind::Warning:
            return QMessageBox::Warning;
        case Kind::Critical:
            break;
    }
    return QMessageBox::Critical;
}

int realChoice(Kind kind, const QString& title, const QString& text, const QStringList& buttons) {
    QMessageBox box(iconOf(kind), title, text, QMessageBox::NoButton, nullptr);
    QList<QAbstractButton*> made;
    for (int i = 0; i < buttons.size(); ++i) {
        // No reject role: the box then has no escape button, as asked.
        QPushButton* b =
            box.addButton(buttons.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
        if (i == 0) box.setDefaultButton(b);
        made << b;
    }
    box.exec();
    return made.indexOf(box.clickedButton());
}
}  // namespace

QMessageBox::StandardButton showBox(Kind kind, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    OpenDialog open;
    const QMessageBox::StandardButton answer = boxHandler()
                                                   ? boxHandler()(Box{kind, title, text, buttons})
                                                   : realBox(kind, title, text, buttons, defaultButton);
    return open.sessionEnded() ? QMessageBox::NoButton : answer;
}

QMessageBox::StandardButton showBoxFor(const void* owner, Kind kind, const QString& title,
                                       const QString& text) {
    if (ownersWithBox.contains(owner)) {
        qWarning() << "box not shown, another is open:" << title << text;
        return QMessageBox::NoButton;
    }
    ownersWithBox.insert(owner);
    const QMessageBox::StandardButton answer = showBox(kind, title, text);
    ownersWithBox.remove(owner);
    return answer;
}

bool boxOpenFor(const void* owner) {
    return ownersWithBox.contains(owner);
}

int choose(Kind kind, const QString& title, const QString& text, const QStringList& buttons) {
    OpenDialog open;
    int answer = -1;
    const Box box{kind, title, text, QMessageBox::NoButton, buttons};
    if (choiceHandler()) {
        answer = choiceHandler()(box);
    } else if (boxHandler()) {
        const QMessageBox::StandardButton b = boxHandler()(box);
        answer = (b == QMessageBox::Ok || b == QMessageBox::Yes) ? 0 : int(buttons.size()) - 1;
    } else {
        answer = realChoice(kind, title, text, buttons);
    }
    if (open.sessionEnded() || answer < 0 || answer >= buttons.size()) return -1;
    return answer;
}

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) {
    OpenDialog open;
    const QString path = saveHandler() ? saveHandler()(caption, dir, filter)
                                       : QFileDialog::getSaveFileName(parent, caption, dir, filter);
    return open.sessionEnded() ? QString() : path;
}

void setBoxHandler(BoxHandler handler) {
    boxHandler() = std::move(handler);
}
void setChoiceHandler(ChoiceHandler handler) {
    choiceHandler() = std::move(handler);
}
void setSaveHandler(SaveHandler handler) {
    saveHandler() = std::move(handler);
}

int openDialogs() {
    return depth;
}

void endSession() {
    ++sessionNumber;
}

SessionWatch::SessionWatch() : m_session(sessionNumber) {}

bool SessionWatch::ended() const {
    return sessionNumber != m_session;
}

void whenNoDialogOpen(std::function<void()> action) {
    if (depth == 0)
        action();
    else
        pending.push_back(std::move(action));
}

}  // namespace DialogSeam
