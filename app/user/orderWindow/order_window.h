#pragma once

#include <QDialog>

class ExerciseOfWarrantsWidget;
class LevelWidget;
class OrderWidget;
class QTabWidget;
class QuotesTcpClient;
class TenderOfferWidget;

// The order tool window: "买卖/申赎" (order form and quote levels), "要约收购" and "权证行权". The
// first show keeps only the tab of the login's exchange of the last two.
class OrderWindow : public QDialog {
    Q_OBJECT
public:
    explicit OrderWindow(QWidget* parent = nullptr);

    // Hands the quote client (not owned) to every page that reads quotes.
    void initDataClass(QuotesTcpClient* client);

    QTabWidget* tabWidget() const { return mTabWidget; }
    OrderWidget* orderWidget() const { return mOrderWidget; }
    LevelWidget* levelWidget() const { return mLevelWidget; }
    TenderOfferWidget* tenderOfferWidget() const { return mTenderOfferWidget; }
    ExerciseOfWarrantsWidget* exerciseWidget() const { return mExerciseWidget; }

public slots:
    void slotTabChanged(int index);
    // Shows the window and puts it in front, as a place-order request from a table expects.
    void slotBringUp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildTabs();

    QTabWidget* mTabWidget;
    OrderWidget* mOrderWidget;
    LevelWidget* mLevelWidget;
    TenderOfferWidget* mTenderOfferWidget = nullptr;
    ExerciseOfWarrantsWidget* mExerciseWidget = nullptr;
    bool mFirstShow = true;
};
