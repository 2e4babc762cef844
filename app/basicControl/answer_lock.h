#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;
class QTimer;

// Keeps a button that moves money disabled from its click until the counter answers, so a double
// click cannot send the request twice. A counter that never answers frees the button after a wait.
class AnswerLock : public QObject {
    Q_OBJECT
public:
    static constexpr int WAIT_MS = 30000;

    // `what` names the request in the log line written when the wait runs out.
    AnswerLock(QAbstractButton* button, const QString& what, QObject* parent);

    // Disables the button and starts the wait.
    void hold();
    // Enables the button and stops the wait; harmless when not held.
    void release();
    bool held() const;
    QTimer* waitTimer() const { return mWait; }

private:
    void waitRanOut();

    QAbstractButton* mButton;
    QString mWhat;
    QTimer* mWait;
};
