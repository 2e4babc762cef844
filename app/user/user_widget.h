#pragma once

#include <QWidget>

// The page shown after a successful login.
class UserWidget : public QWidget {
    Q_OBJECT
public:
    explicit UserWidget(QWidget* parent = nullptr);

    void buildWorkspace();
    void refreshAccountInfo();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_built = false;
};
