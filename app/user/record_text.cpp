#include "user/record_text.h"

#include <QByteArray>
#include <cstring>

namespace RecordText {

void write(char* field, int width, const QString& text) {
    if (!field || width <= 0) return;
    const QByteArray bytes = text.toUtf8();
    std::memcpy(field, bytes.constData(), size_t(qMin(width, bytes.size())));
}

QString read(const char* field, int width) {
    if (!field || width <= 0) return QString();
    int length = 0;
    while (length < width && field[length] != '\0') ++length;
    return QString::fromUtf8(field, length);
}

}  // namespace RecordText
