#include "user/live/return_notices.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>
#include <QVBoxLayout>

ReturnNotices::ReturnNotices(QWidget* parent) : QWidget(parent), mLayout(new QVBoxLayout(this)) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    mLayout->setContentsMargins(0, 0, 0, 0);
    mLayout->setSpacing(6);
    parent->installEventFilter(this);
    hide();
}

int ReturnNotices::shown() const {
    return mLayout->count();
}

void ReturnNotices::notify(const QString& text) {
    while (mLayout->count() >= MAX_SHOWN) {
        QLayoutItem* oldest = mLayout->takeAt(0);
        if (QWidget* w = oldest->widget()) w->deleteLater();
        delete oldest;
    }
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);  // names and texts come from the counter
    label->setText(text);
    label->setFocusPolicy(Qt::NoFocus);
    label->setStyleSheet(
        QStringLiteral("background:#FFF8DC;color:#202020;border:1px solid #CD2626;"
                       "border-radius:4px;padding:6px 10px;font-size:13px;"));
    auto* opacity = new QGraphicsOpacityEffect(label);
    opacity->setOpacity(1.0);
    label->setGraphicsEffect(opacity);
    mLayout->addWidget(label);

    QTimer::singleShot(SHOW_MS, label, [this, label, opacity] {
        auto* fade = new QPropertyAnimation(opacity, "opacity", label);
        fade->setDuration(FADE_MS);
        fade->setEndValue(0.0);
        connect(fade, &QPropertyAnimation::finished, this, [this, label] {
            mLayout->removeWidget(label);
            label->deleteLater();
            if (mLayout->count() == 0) hide();
            place();
        });
        fade->start();
    });
    show();
    raise();
    place();
}

void ReturnNotices::place() {
    QWidget* host = parentWidget();
    if (!host) return;
    adjustSize();
    const QSize size = sizeHint();
    move(host->width() - size.width() - 16, host->height() - size.height() - 16);
    resize(size);
}

bool ReturnNotices::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == parentWidget() && isVisible()) place();
    return QWidget::eventFilter(watched, event);
}
