#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

// What a styled control looks like on screen, for tests that check the look rather than the style
// sheet's text.
namespace rendered {

// The colour drawn at `point` of the widget at its current size.
inline QColor pixel(QWidget& widget, QPoint point) {
    widget.ensurePolished();
    return widget.grab().toImage().pixelColor(point);
}

// A button's face: left of its text, halfway down.
inline QColor face(QWidget& widget) {
    return pixel(widget, QPoint(4, widget.height() / 2));
}

// The font the style gives the widget, as "bold 17".
inline QString font(QWidget& widget) {
    widget.ensurePolished();
    return QStringLiteral("%1%2").arg(widget.font().bold() ? "bold " : "").arg(widget.font().pixelSize());
}

}  // namespace rendered
