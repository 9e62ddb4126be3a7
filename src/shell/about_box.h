#pragma once
// The about box: product name, version, copyright and a note inviting reports.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box, made once and shown modally from Help, About.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QFrame* panel_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* copyright_ = nullptr;
    QLabel* comments_ = nullptr;
    QPushButton* okButton_ = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
