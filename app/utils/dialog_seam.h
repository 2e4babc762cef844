#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message box and the CSV save dialog go through here. The program shows the real Qt dialogs;
// a test installs handlers that record what would have been shown and answer it.
namespace DialogSeam {

enum class Kind { Information, Question, Warning, Critical };

struct Box {
    Kind kind;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

using BoxHandler = std::function<QMessageBox::StandardButton(const Box&)>;
using SaveHandler = std::function<QString(const QString& caption, const QString& dir, const QString& filter)>;

// A modal box without parent; returns the button pressed.
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

// QFileDialog::getSaveFileName; an empty result means the user cancelled.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);

// Pass an empty function to restore the real dialogs.
void setBoxHandler(BoxHandler handler);
void setSaveHandler(SaveHandler handler);

}  // namespace DialogSeam
