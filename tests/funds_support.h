// Shared by the funds and account suites: record images, boxes recorded and answered, answers fired
// from the fake library's own thread through the real callback table.
#pragma once

#include <QTableWidget>
#include <QtTest>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fake_tradeapi.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace funds {

// A zero-filled record image with fields put at their offsets.
class Image {
public:
    explicit Image(size_t size) : m_bytes(size, 0) {}
    template <typename T>
    Image& put(size_t offset, T value) {
        std::memcpy(m_bytes.data() + offset, &value, sizeof(T));
        return *this;
    }
    Image& text(size_t offset, const std::string& value) {
        std::memcpy(m_bytes.data() + offset, value.data(), value.size());
        return *this;
    }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    template <typename T>
    T as() const {
        T record;
        std::memcpy(&record, m_bytes.data(), qMin(sizeof(T), m_bytes.size()));
        return record;
    }

private:
    std::vector<uint8_t> m_bytes;
};

inline std::vector<fakeapi::Request> requestsOf(const std::string& function) {
    std::vector<fakeapi::Request> out;
    for (const fakeapi::Request& r : fakeapi::requests())
        if (r.function == function) out.push_back(r);
    return out;
}

inline CMoruRspInfo rspInfo(int errorId, const char* text = "") {
    CMoruRspInfo info;
    std::memset(&info, 0, sizeof(info));
    info.ErrorID = errorId;
    std::strncpy(info.ErrorMsg, text, sizeof(info.ErrorMsg) - 1);
    return info;
}

// Runs `call` as the library would, on a thread of its own, then lets the queued deliveries arrive.
inline void fire(const std::function<void(const CMoruTraderSpi&)>& call) {
    fakeapi::fireOnOwnThread(call);
    QCoreApplication::processEvents();
}

// The events of a double click as the window system delivers them: a click, then a second press
// that comes as a double click, and its release.
inline void doubleClick(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

inline QStringList repeated(int count, const QString& text) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << text;
    return out;
}

inline QStringList rowOf(const QTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(row, c) ? table->item(row, c)->text() : QStringLiteral("<none>"));
    return cells;
}

// Records every box as "kind|title|text" and answers it; boxes with named buttons take `choice`.
class Boxes {
public:
    Boxes() {
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            record(box);
            return QMessageBox::Ok;
        });
        DialogSeam::setChoiceHandler([this](const DialogSeam::Box& box) {
            record(box);
            return choice;
        });
    }
    ~Boxes() {
        DialogSeam::setBoxHandler({});
        DialogSeam::setChoiceHandler({});
    }
    void record(const DialogSeam::Box& box) {
        static const char* kinds[] = {"information", "question", "warning", "critical"};
        shown << QString("%1|%2|%3").arg(kinds[int(box.kind)], box.title, box.text);
        if (!box.choices.isEmpty()) choices << box.choices;
    }

    QStringList shown;
    QList<QStringList> choices;
    int choice = 0;
};

// The callback table registered with the fake, no request made yet, the account of the login.
inline void resetLibrary(const QString& account) {
    fakeapi::reset();
    ApiClientUtils::fillCallbackTable();
    registerSpi(ApiClientUtils::callbackTable(), entryNo);
    registerApiMetaTypes();
    requestIdCounter = 0;
    apiDataReady = false;
    currentAccount = account;
}

}  // namespace funds
