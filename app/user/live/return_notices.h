#pragma once

#include <QWidget>

class QVBoxLayout;

// Notices of fills, refusals and cancellations, stacked in the lower right corner of the workspace.
// Each fades after a few seconds. A child widget that never takes the focus, so typing in the order
// window goes on while they come and go.
class ReturnNotices : public QWidget {
    Q_OBJECT
public:
    explicit ReturnNotices(QWidget* parent);

    void notify(const QString& text);
    int shown() const;

    // Notices on screen at most; a burst pushes the oldest out at once.
    static constexpr int MAX_SHOWN = 5;
    static constexpr int SHOW_MS = 6000;
    static constexpr int FADE_MS = 800;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QVBoxLayout* mLayout;
};
