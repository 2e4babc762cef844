#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstring>

// Text fields of the trading library's records are fixed-width, NUL-padded, and unterminated when
// full: they are read up to the first NUL within their width and never past it.
template <std::size_t N>
QString fieldText(const char (&field)[N]) {
    return QString::fromUtf8(field, int(qstrnlen(field, uint(N))));
}

// Writes at most `limit` bytes of `text` (and never more than the field holds); the record was
// zero-filled, so a shorter text stays terminated.
template <std::size_t N>
void putFieldText(char (&field)[N], const QByteArray& text, std::size_t limit = N) {
    const std::size_t count = qMin(qMin(std::size_t(text.size()), limit), N);
    if (count > 0) std::memcpy(field, text.constData(), count);
}
