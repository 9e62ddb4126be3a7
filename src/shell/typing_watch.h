#pragma once
// When the user last pressed a key anywhere in the program: a line that
// arrives while the user is typing must not take the keyboard away.
#include <QElapsedTimer>
#include <QObject>

class TypingWatch : public QObject {
    Q_OBJECT
public:
    // Watches every key press of the application.
    explicit TypingWatch(QObject* parent = nullptr);
    ~TypingWatch() override;
    // True when a key was pressed within the last withinMs.
    bool KeyPressedWithin(int withinMs) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer lastKey_;  // invalid until the first key
};
