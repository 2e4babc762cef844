#include "utils/dialog_seam.h"

#include <QFileDialog>

namespace DialogSeam {
namespace {
BoxHandler& boxHandler() {
    static BoxHandler handler;
    return handler;
}
SaveHandler& saveHandler() {
    static SaveHandler handler;
    return handler;
}
}  // namespace

QMessageBox::StandardButton showBox(Kind kind, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    if (boxHandler()) return boxHandler()(Box{kind, title, text, buttons});
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

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) {
    if (saveHandler()) return saveHandler()(caption, dir, filter);
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

void setBoxHandler(BoxHandler handler) {
    boxHandler() = std::move(handler);
}
void setSaveHandler(SaveHandler handler) {
    saveHandler() = std::move(handler);
}

}  // namespace DialogSeam
