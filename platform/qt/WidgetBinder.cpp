#include "WidgetBinder.h"

#include "InputGate.h"
#include "LampWidget.h"
#include "PickComboBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStringDecoder>
#include <algorithm>

QColor toQColor(Colour colour) {
    return QColor(colour.red(), colour.green(), colour.blue());
}

QString toQString(const std::string& text) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) {
        return decoded;
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQString(const QString& text) {
    return text.toUtf8().toStdString();
}

namespace {

const QString FontFamily = QStringLiteral("Arial");

void applyFont(QWidget* widget, const Font& font, double scale) {
    QFont f(FontFamily);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(font.pointSize * scale);
    f.setBold(font.bold);
    if (widget->font() != f) {
        widget->setFont(f);
    }
}

void applyColours(QWidget* widget, QPalette::ColorRole backRole, QPalette::ColorRole foreRole, Colour back,
                  Colour fore) {
    QPalette palette = widget->palette();
    if (palette.color(backRole) != toQColor(back) || palette.color(foreRole) != toQColor(fore)) {
        palette.setColor(backRole, toQColor(back));
        palette.setColor(foreRole, toQColor(fore));
        widget->setPalette(palette);
    }
}

Qt::Alignment toQt(Alignment alignment) {
    return alignment == Alignment::Centre ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
}

// Control characters of raw answers (the CR LF of a logged line) are drawn
// invisibly; the model keeps them.
QString displayed(const std::string& line) {
    std::string shown;
    shown.reserve(line.size());
    for (char c : line) {
        if (static_cast<unsigned char>(c) >= 0x20) {
            shown += c;
        }
    }
    return toQString(shown);
}

} // namespace

void WidgetBinder::act(std::function<void()> action) {
    InputGate::instance().act([this, action = std::move(action)] {
        if (action) {
            action();
        }
        if (afterAction) {
            afterAction();
        }
    });
}

void WidgetBinder::bind(QLineEdit* widget, TextBox& model) {
    QObject::connect(widget, &QLineEdit::textEdited, widget,
                     [&model](const QString& text) { model.text = fromQString(text); });
    painters_.push_back([this, widget, &model] {
        const QString text = toQString(model.text);
        if (widget->text() != text) {
            widget->setText(text);
            widget->setCursorPosition(0);
        }
        applyFont(widget, model.font, fontScale);
        applyColours(widget, QPalette::Base, QPalette::Text, model.BackColor, model.ForeColor);
        if (widget->alignment() != toQt(model.alignment)) {
            widget->setAlignment(toQt(model.alignment));
        }
        widget->setVisible(model.visible);
        // A hidden caret: the box does not blink while it is captured.
        const Qt::FocusPolicy policy = model.caretHidden ? Qt::NoFocus : Qt::StrongFocus;
        if (widget->focusPolicy() != policy) {
            widget->setFocusPolicy(policy);
            if (model.caretHidden) {
                widget->clearFocus();
            }
        }
    });
}

void WidgetBinder::bind(PickComboBox* widget, ComboBox& model, std::function<void()> onPick) {
    QObject::connect(widget->lineEdit(), &QLineEdit::textEdited, widget,
                     [&model](const QString& text) { model.text = fromQString(text); });
    const QPointer<PickComboBox> guard(widget);
    widget->onPicked = [this, guard, &model, onPick = std::move(onPick)](int index) {
        const std::string item = fromQString(guard->itemText(index));
        act([guard, &model, item, onPick] {
            if (guard.isNull()) {
                return;
            }
            model.text = item;
            if (onPick) {
                onPick();
            }
        });
    };
    painters_.push_back([this, widget, &model] {
        QStringList items;
        for (const std::string& item : model.items) {
            items << toQString(item);
        }
        QStringList shown;
        for (int i = 0; i < widget->count(); ++i) {
            shown << widget->itemText(i);
        }
        if (shown != items) {
            const QSignalBlocker blocker(widget);
            widget->clear();
            widget->addItems(items);
        }
        const QString text = toQString(model.text);
        if (widget->currentText() != text) {
            const QSignalBlocker blocker(widget);
            const int index = widget->findText(text);
            if (index >= 0) {
                widget->setCurrentIndex(index);
            }
            widget->setEditText(text);
        }
        applyFont(widget, model.font, fontScale);
        applyColours(widget, QPalette::Base, QPalette::Text, model.BackColor, model.ForeColor);
    });
}

void WidgetBinder::bind(QListWidget* widget, ListBox& model) {
    struct Seen {
        std::uint64_t clears = 0;
        std::size_t lines = 0;
    };
    auto seen = std::make_shared<Seen>();
    seen->clears = model.clears;
    painters_.push_back([this, widget, &model, seen] {
        const std::size_t before = seen->lines;
        if (seen->clears != model.clears || model.lines.size() < seen->lines) {
            widget->clear();
            seen->clears = model.clears;
            seen->lines = 0;
        }
        for (; seen->lines < model.lines.size(); ++seen->lines) {
            widget->addItem(displayed(model.lines[seen->lines]));
        }
        if (seen->lines != before) {
            // Laid out now, not on the list's own later timer, so that the
            // lines are drawn at the yield that follows.
            widget->doItemsLayout();
            widget->viewport()->update();
        }
        applyFont(widget, model.font, fontScale);
        applyColours(widget, QPalette::Base, QPalette::Text, model.BackColor, model.ForeColor);
    });
}

namespace {

// A caption wider than its place grows about its centre, within the window,
// instead of being cut off at both ends.
void fitCaption(QLabel* widget) {
    const int needed = widget->fontMetrics().horizontalAdvance(widget->text()) + 4;
    if (needed <= widget->width() || widget->parentWidget() == nullptr) {
        return;
    }
    const int limit = widget->parentWidget()->width();
    const int width = std::min(needed, limit);
    const int left = std::clamp(widget->geometry().center().x() - width / 2, 0, limit - width);
    widget->setGeometry(left, widget->y(), width, widget->height());
}

// A button caption too wide for one line goes on two, broken at the blank
// nearest its middle, as the captions of tall buttons always have.
QString wrappedCaption(const QPushButton* button, const QString& caption) {
    const int room = button->width() - 8;
    if (button->fontMetrics().horizontalAdvance(caption) <= room) {
        return caption;
    }
    int best = -1;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char(' ') &&
            (best < 0 || std::abs(i - caption.size() / 2) < std::abs(best - caption.size() / 2))) {
            best = i;
        }
    }
    if (best < 0) {
        return caption;
    }
    return caption.left(best) + QLatin1Char('\n') + caption.mid(best + 1).trimmed();
}

} // namespace

void WidgetBinder::bind(QLabel* widget, Label& model) {
    painters_.push_back([this, widget, &model] {
        const QString caption = toQString(model.caption);
        if (widget->text() != caption) {
            widget->setText(caption);
        }
        applyFont(widget, model.font, fontScale);
        if (model.alignment == Alignment::Centre) {
            fitCaption(widget);
        }
        if (widget->alignment() != toQt(model.alignment)) {
            widget->setAlignment(toQt(model.alignment));
        }
        widget->setVisible(model.visible);
        const QString tip = toQString(model.toolTip);
        if (widget->toolTip() != tip) {
            widget->setToolTip(tip);
        }
        QString style =
            model.ForeColor ? QStringLiteral("color: %1;").arg(toQColor(*model.ForeColor).name()) : QString();
        if (model.BackColor) {
            style += QStringLiteral("background-color: %1;").arg(toQColor(*model.BackColor).name());
        }
        if (widget->styleSheet() != style) {
            widget->setStyleSheet(style);
        }
    });
}

void WidgetBinder::bind(QPushButton* widget, Button& model, std::function<void()> onClick) {
    QObject::connect(widget, &QPushButton::clicked, widget, [this, onClick = std::move(onClick)] { act(onClick); });
    painters_.push_back([this, widget, &model] {
        applyFont(widget, model.font, fontScale);
        const QString caption = wrappedCaption(widget, toQString(model.caption));
        if (widget->text() != caption) {
            widget->setText(caption);
        }
    });
}

void WidgetBinder::bind(LampWidget* widget, Lamp& model) {
    painters_.push_back([widget, &model] { widget->setFill(toQColor(model.FillColor)); });
}

void WidgetBinder::refresh() {
    for (const auto& paint : painters_) {
        paint();
    }
}
