#pragma once

#include <QComboBox>
#include <functional>

// A drop-down list whose action runs only when the operator picks an item in
// its open list, by mouse or by keyboard. A wheel turn or an arrow key over
// the closed list changes nothing; Return, or leaving the field after typing,
// runs nothing: the typed text stays in the field.
class PickComboBox final : public QComboBox {
  public:
    explicit PickComboBox(QWidget* parent = nullptr);

    std::function<void(int index)> onPicked;

    void showPopup() override;
    void hidePopup() override;

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool listOpen_ = false;
};
