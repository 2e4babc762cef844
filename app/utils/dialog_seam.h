#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every message box and the CSV save dialog go through here. The program shows the real Qt dialogs;
// a test installs handlers that record what would have been shown and answer it.
//
// A link loss can arrive while a dialog runs its own event loop. The main window then calls
// endSession(): every box that was already open closes and answers as if cancelled (NoButton or -1),
// so the code that opened it does not go on; a save dialog stays and returns the file chosen, since
// the rows to write are in memory. Whatever the main window hands to whenNoDialogOpen() waits until
// the outermost dialog has returned.
namespace DialogSeam {

enum class Kind { Information, Question, Warning, Critical };

struct Box {
    Kind kind;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    // Buttons the program names itself, in order; empty for standard buttons.
    QStringList choices = {};
    // Plain text shown under the text (the box's informative text); empty for none.
    QString detail = {};
};

using BoxHandler = std::function<QMessageBox::StandardButton(const Box&)>;
using ChoiceHandler = std::function<int(const Box&)>;
using SaveHandler = std::function<QString(const QString& caption, const QString& dir, const QString& filter)>;

// A modal box without parent, its text shown as plain text; returns the button pressed.
QMessageBox::StandardButton showBox(Kind kind, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

inline QMessageBox::StandardButton information(const QString& title, const QString& text) {
    return showBox(Kind::Information, title, text);
}
inline QMessageBox::StandardButton warning(const QString& title, const QString& text) {
    return showBox(Kind::Warning, title, text);
}
inline QMessageBox::StandardButton critical(const QString& title, const QString& text) {
    return showBox(Kind::Critical, title, text);
}
inline QMessageBox::StandardButton question(const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Yes |
                                                                                   QMessageBox::No) {
    return showBox(Kind::Question, title, text, buttons);
}

// One box at a time for each owner (a page or dialog): while a box shown for `owner` is open, a
// further one for it is only logged and answered NoButton, so a storm of error answers, each
// delivered by the open box's event loop, cannot nest boxes until the stack runs out.
QMessageBox::StandardButton showBoxFor(const void* owner, Kind kind, const QString& title,
                                       const QString& text);
inline QMessageBox::StandardButton informationFor(const void* owner, const QString& title,
                                                  const QString& text) {
    return showBoxFor(owner, Kind::Information, title, text);
}
inline QMessageBox::StandardButton warningFor(const void* owner, const QString& title, const QString& text) {
    return showBoxFor(owner, Kind::Warning, title, text);
}
inline QMessageBox::StandardButton criticalFor(const void* owner, const QString& title, const QString& text) {
    return showBoxFor(owner, Kind::Critical, title, text);
}
bool boxOpenFor(const void* owner);

// A modal box without parent whose buttons carry the given texts ("确认", "取消"), the first one the
// default, no escape button. Returns the index of the button pressed, -1 when the box was closed
// otherwise or the session ended while it was open.
// A non-empty `detail` is shown under the text, as plain text.
int choose(Kind kind, const QString& title, const QString& text, const QStringList& buttons,
           const QString& detail = QString());

// QFileDialog::getSaveFileName; an empty result means the user cancelled.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);

// Pass an empty function to restore the real dialogs. Without a choice handler, a choice box goes to
// the box handler: Ok or Yes picks the first button, any other answer the last.
void setBoxHandler(BoxHandler handler);
void setChoiceHandler(ChoiceHandler handler);
void setSaveHandler(SaveHandler handler);

// Dialogs of the seam open right now (nested ones counted).
int openDialogs();

// The session ended (a link loss): boxes open now close and answer as cancelled.
void endSession();

// Notes the session a caller is in; ended() tells whether a link loss came since.
class SessionWatch {
public:
    SessionWatch();
    bool ended() const;

private:
    quint64 m_session;
};

// Runs `action` at once when no dialog is open, otherwise right after the outermost one returns.
void whenNoDialogOpen(std::function<void()> action);

}  // namespace DialogSeam
