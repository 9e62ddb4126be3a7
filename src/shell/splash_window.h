#pragma once
// The splash window shown for a moment before the frame appears.
#include <QDialog>

class QLabel;
class QTimer;

// The splash window: the product picture and web address for one second.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    QLabel* picture_ = nullptr;
    QLabel* addressLabel_ = nullptr;
    QTimer* closeTimer_ = nullptr;

    void onCloseTimer();
    // The splash picture, 451 x 250, on a transparent background.
    static QPixmap Picture();

protected:
    void showEvent(QShowEvent* event) override;
};
