#include "PickComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

PickComboBox::PickComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The field completes nothing by itself: what is typed stays as typed.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (listOpen_ && onPicked) {
            onPicked(index);
        }
    });
}

void PickComboBox::showPopup() {
    listOpen_ = true;
    QComboBox::showPopup();
}

void PickComboBox::hidePopup() {
    QComboBox::hidePopup();
    // A pick closes the list first and reports the item right after, in the
    // same turn of the event loop: the list counts as open until that is done.
    QTimer::singleShot(0, this, [this] {
        if (view() == nullptr || !view()->isVisible()) {
            listOpen_ = false;
        }
    });
}

void PickComboBox::wheelEvent(QWheelEvent* event) {
    if (!listOpen_) {
        event->ignore(); // the wheel scrolls what lies under the list instead
    }
}

void PickComboBox::keyPressEvent(QKeyEvent* event) {
    const bool opens = event->key() == Qt::Key_F4 || ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) &&
                                                      (event->modifiers() & Qt::AltModifier) != 0);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!opens) {
            event->accept(); // stepping through a closed list is no pick
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore();
        return;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

bool PickComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            return true; // Return in the field takes nothing from the list
        }
    }
    return QComboBox::eventFilter(watched, event);
}
