#include "utils/dialog_seam.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
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

// Real dialogs open now: a link loss closes them (see endSession).
QList<QPointer<QDialog>> liveDialogs;

// Runs a real dialog, listed while it is open.
int execListed(QDialog& dialog) {
    liveDialogs.append(QPointer<QDialog>(&dialog));
    const int result = dialog.exec();
    liveDialogs.removeAll(QPointer<QDialog>(&dialog));
    liveDialogs.removeAll(QPointer<QDialog>());
    return result;
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

// The static QMessageBox functions' box, but with plain text: counter text that looks like HTML
// must not render, let alone open links.
QMessageBox::StandardButton realBox(Kind kind, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    QMessageBox box(iconOf(kind), title, text, QMessageBox::NoButton, nullptr);
    box.setTextFormat(Qt::PlainText);
    QDialogButtonBox* buttonBox = box.findChild<QDialogButtonBox*>();
    for (uint mask = QMessageBox::FirstButton; mask <= QMessageBox::LastButton; mask <<= 1) {
        const uint standard = uint(buttons) & mask;
        if (!standard) continue;
        QPushButton* button = box.addButton(QMessageBox::StandardButton(standard));
        if (box.defaultButton()) continue;
        const bool chosen = defaultButton == QMessageBox::NoButton
                                ? buttonBox && buttonBox->buttonRole(button) == QDialogButtonBox::AcceptRole
                                : standard == uint(defaultButton);
        if (chosen) box.setDefaultButton(button);
    }
    if (execListed(box) == -1) return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}

int realChoice(Kind kind, const QString& title, const QString& text, const QStringList& buttons,
               const QString& detail) {
    QMessageBox box(iconOf(kind), title, text, QMessageBox::NoButton, nullptr);
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty()) {
        box.setInformativeText(detail);
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
            label->setTextFormat(Qt::PlainText);
    }
    QList<QAbstractButton*> made;
    for (int i = 0; i < buttons.size(); ++i) {
        // One role for all: the platform's button layout orders roles, never buttons of one role, so the
        // first stays first everywhere; and with no reject role the box has no escape button.
        QPushButton* b = box.addButton(buttons.at(i), QMessageBox::ActionRole);
        if (i == 0) box.setDefaultButton(b);
        made << b;
    }
    execListed(box);
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

int choose(Kind kind, const QString& title, const QString& text, const QStringList& buttons,
           const QString& detail) {
    OpenDialog open;
    int answer = -1;
    const Box box{kind, title, text, QMessageBox::NoButton, buttons, detail};
    if (choiceHandler()) {
        answer = choiceHandler()(box);
    } else if (boxHandler()) {
        const QMessageBox::StandardButton b = boxHandler()(box);
        answer = (b == QMessageBox::Ok || b == QMessageBox::Yes) ? 0 : int(buttons.size()) - 1;
    } else {
        answer = realChoice(kind, title, text, buttons, detail);
    }
    if (open.sessionEnded() || answer < 0 || answer >= buttons.size()) return -1;
    return answer;
}

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) {
    // Kept across a link loss: the rows are in memory and the user asked for the file.
    OpenDialog open;
    return saveHandler() ? saveHandler()(caption, dir, filter)
                         : QFileDialog::getSaveFileName(parent, caption, dir, filter);
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
    // Boxes of the old session close now; the code that opened them sees a cancel when they return.
    const QList<QPointer<QDialog>> open = liveDialogs;  // closing one may run code that opens another
    for (const QPointer<QDialog>& dialog : open)
        if (dialog) dialog->done(-1);
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
