// Shared by the funds and account suites: boxes recorded and answered, request records read back,
// answers fired from the fake library's own thread through the real callback table.
#pragma once

#include <QCoreApplication>
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

using Bytes = std::vector<uint8_t>;

// A zero-filled record image with fields put at their offsets, to compare requests with.
class Image {
public:
    explicit Image(size_t size) : m_bytes(size, 0) {}
    Image& text(size_t offset, const std::string& value) {
        std::memcpy(m_bytes.data() + offset, value.data(), value.size());
        return *this;
    }
    Image& real(size_t offset, double value) {
        std::memcpy(m_bytes.data() + offset, &value, sizeof(value));
        return *this;
    }
    Image& byte(size_t offset, char value) {
        m_bytes[offset] = uint8_t(value);
        return *this;
    }
    Image& u32(size_t offset, uint32_t value) {
        std::memcpy(m_bytes.data() + offset, &value, sizeof(value));
        return *this;
    }
    const Bytes& bytes() const { return m_bytes; }
    // Read back as a record of the library (the sizes must match).
    template <typename T>
    T as() const {
        T record;
        std::memcpy(&record, m_bytes.data(), qMin(sizeof(T), m_bytes.size()));
        return record;
    }

private:
    Bytes m_bytes;
};

inline QStringList repeated(int count, const QString& text) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << text;
    return out;
}

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

// Runs `fire` as the library would, on a thread of its own, then lets the queued deliveries arrive.
inline void fire(const std::function<void(const CMoruTraderSpi&)>& call) {
    fakeapi::fireOnOwnThread(call);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Records every box and answers it; choice boxes take `choiceAnswer`.
class Boxes {
public:
    Boxes() {
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            shown << box;
            if (onBox) onBox(box);
            return QMessageBox::Ok;
        });
        DialogSeam::setChoiceHandler([this](const DialogSeam::Box& box) {
            shown << box;
            return choiceAnswer;
        });
    }
    ~Boxes() {
        DialogSeam::setBoxHandler({});
        DialogSeam::setChoiceHandler({});
    }
    // "kind|title|text" of each box, for whole-text comparison.
    QStringList texts() const {
        QStringList out;
        for (const DialogSeam::Box& b : shown)
            out << QString("%1|%2|%3").arg(kindName(b.kind), b.title, b.text);
        return out;
    }
    static QString kindName(DialogSeam::Kind kind) {
        switch (kind) {
            case DialogSeam::Kind::Information:
                return "information";
            case DialogSeam::Kind::Question:
                return "question";
            case DialogSeam::Kind::Warning:
                return "warning";
            case DialogSeam::Kind::Critical:
                break;
        }
        return "critical";
    }

    QList<DialogSeam::Box> shown;
    int choiceAnswer = 0;
    std::function<void(const DialogSeam::Box&)> onBox;
};

// The state every suite starts from: the callback table registered with the fake, a fresh request log.
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
