// Helpers of the query page suites: records delivered from a thread of their own (queued to the page
// as the trading library's are), requests read back from the fake library, boxes and save dialogs
// answered, export files compared with the expected files under tests/data.
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fake_tradeapi/fake_tradeapi.h"
#include "utils/dialog_seam.h"

namespace qps {

// Runs `work` on a new thread, as the library runs its callbacks, and waits for it; what it emits is
// queued to the GUI thread.
inline void onLibraryThread(const std::function<void()>& work) {
    std::thread thread(work);
    thread.join();
}

// Lets the queued deliveries run until `done` holds (at most ten seconds).
inline bool deliver(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

inline std::vector<fakeapi::Request> requestsOf(const std::string& function) {
    std::vector<fakeapi::Request> out;
    for (const fakeapi::Request& r : fakeapi::requests())
        if (r.function == function) out.push_back(r);
    return out;
}

// A zero-filled record with `bytes` written at `offset`, to compare requests byte for byte.
class Bytes {
public:
    explicit Bytes(int size) : mBytes(size, '\0') {}
    Bytes& put(int offset, const QByteArray& bytes) {
        mBytes.replace(offset, bytes.size(), bytes);
        return *this;
    }
    template <typename T>
    Bytes& putValue(int offset, T value) {
        return put(offset, QByteArray(reinterpret_cast<const char*>(&value), int(sizeof value)));
    }
    QByteArray bytes() const { return mBytes; }

private:
    QByteArray mBytes;
};

inline QByteArray bytesOf(const fakeapi::Request& request) {
    return QByteArray(reinterpret_cast<const char*>(request.bytes.data()), int(request.bytes.size()));
}

template <typename T>
T zeroed() {
    T record;
    std::memset(&record, 0, sizeof record);
    return record;
}

template <std::size_t N>
void setText(char (&field)[N], const QByteArray& text) {
    std::memcpy(field, text.constData(), qMin(std::size_t(text.size()), N));
}

inline CMoruRspInfo rspInfo(int errorId = 0, const QByteArray& text = QByteArray()) {
    CMoruRspInfo info = zeroed<CMoruRspInfo>();
    info.ErrorID = errorId;
    setText(info.ErrorMsg, text);
    return info;
}

// Every box shown, as "title/text" with its kind; the save dialog answers `savePath`.
class Dialogs {
public:
    Dialogs() {
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            boxes << box;
            return onBox ? onBox(box) : QMessageBox::Ok;
        });
        DialogSeam::setSaveHandler(
            [this](const QString&, const QString&, const QString&) { return savePath; });
    }
    ~Dialogs() {
        DialogSeam::setBoxHandler({});
        DialogSeam::setSaveHandler({});
    }
    QStringList texts() const {
        QStringList out;
        for (const DialogSeam::Box& b : boxes) out << b.title + QLatin1Char('/') + b.text;
        return out;
    }

    QList<DialogSeam::Box> boxes;
    QString savePath;
    std::function<QMessageBox::StandardButton(const DialogSeam::Box&)> onBox;
};

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An expected file under tests/data, with the platform's line ends as text mode writes them.
inline QByteArray expectedFile(const QString& name) {
    QByteArray bytes = readFile(QStringLiteral(MORU_SOURCE_DIR "/tests/data/") + name);
#ifdef Q_OS_WIN
    bytes.replace("\n", "\r\n");
#endif
    return bytes;
}

// The cells of a table row as texts; a cell without item reads as a null string.
inline QStringList rowTexts(const QTableWidget& table, int row, int firstColumn = 0) {
    QStringList out;
    for (int c = firstColumn; c < table.columnCount(); ++c) {
        const QTableWidgetItem* item = table.item(row, c);
        out << (item ? item->text() : QString());
    }
    return out;
}

}  // namespace qps
