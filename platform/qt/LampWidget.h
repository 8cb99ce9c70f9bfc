#pragma once

#include <QColor>
#include <QWidget>

// The round ACQUIRE lamp: a filled circle.
class LampWidget final : public QWidget {
  public:
    explicit LampWidget(QWidget* parent = nullptr) : QWidget(parent) {}
    void setFill(const QColor& colour);
    QColor fill() const { return fill_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor fill_{Qt::red};
};
