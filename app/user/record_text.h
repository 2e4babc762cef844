#pragma once

#include <QString>

// Text in the fixed-width fields of the trading library's records.
namespace RecordText {

// Writes the UTF-8 bytes of `text` into a zero-filled field of `width` bytes, cut to the width: a text of
// exactly `width` bytes fills the field without terminator.
void write(char* field, int width, const QString& text);

// The UTF-8 text of a field up to its first NUL, never reading past `width` bytes.
QString read(const char* field, int width);

// How many bytes `text` takes in a field.
inline int byteLength(const QString& text) {
    return text.toUtf8().size();
}

}  // namespace RecordText
