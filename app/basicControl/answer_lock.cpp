#include "basicControl/answer_lock.h"

#include <QAbstractButton>
#include <QDebug>
#include <QTimer>

AnswerLock::AnswerLock(QAbstractButton* button, const QString& what, QObject* parent)
    : QObject(parent), mButton(button), mWhat(what), mWait(new QTimer(this)) {
    mWait->setSingleShot(true);
    mWait->setInterval(WAIT_MS);
    connect(mWait, &QTimer::timeout, this, &AnswerLock::waitRanOut);
}

void AnswerLock::hold() {
    mButton->setEnabled(false);
    mWait->start();
}

void AnswerLock::release() {
    mWait->stop();
    mButton->setEnabled(true);
}

bool AnswerLock::held() const {
    return mWait->isActive();
}

void AnswerLock::waitRanOut() {
    qWarning() << QStringLiteral("%1应答超时").arg(mWhat);
    mButton->setEnabled(true);
}
