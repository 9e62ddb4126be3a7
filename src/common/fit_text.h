#pragma once
// Keeps a fixed-size dialog's captions whole: their font shrinks until the
// text fits the room the layout gives it.
class QWidget;
class QString;

// Lowers w's font size step by step (not below 6 points) until text, drawn
// in it, is at most width pixels wide.
void FitFontToWidth(QWidget* w, const QString& text, int width);
