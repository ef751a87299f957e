#pragma once

#include <QWidget>

// A rectangle with a thin black border and a solid fill: the link indicator.
// Colours are 24-bit values with red in the low byte (blue * 65536 + green * 256 + red).
class Shape final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kNotStarted = 255; // red: the link has not been started
    static constexpr int kStarted = 32768;  // dark green
    static constexpr int kStopped = 2303;   // red-orange

    explicit Shape(QWidget* parent = nullptr);

    int FillColor() const { return m_fillColor; }
    void setFillColor(int value);

    static QColor toColor(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_fillColor = 0;
};
