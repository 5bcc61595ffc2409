#include "platform/forms/controls.h"

#include <QKeyEvent>

#include <algorithm>

namespace platform {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    setRange(0, 0);
    connect(this, &QScrollBar::valueChanged, this, &ScrollBar::OnValueChanged);
    connect(this, &QScrollBar::sliderPressed, this, [this] { dragStartValue_ = value(); });
    connect(this, &QScrollBar::sliderReleased, this, [this] {
        if (value() != dragStartValue_) {
            emit Change();
        }
    });
}

void ScrollBar::SetMin(int16_t min)
{
    min_ = min;
    ApplyRange();
}

void ScrollBar::SetMax(int16_t max)
{
    max_ = max;
    ApplyRange();
}

void ScrollBar::ApplyRange()
{
    setRange(std::min(min_, max_), std::max(min_, max_));
}

void ScrollBar::OnValueChanged()
{
    if (isSliderDown()) {
        emit Scroll();
    } else {
        emit Change();
    }
}

CheckBox::CheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::toggled, this, &CheckBox::Click);
}

OptionButton::OptionButton(const QString &caption, QWidget *parent) : QRadioButton(caption, parent)
{
    connect(this, &QRadioButton::clicked, this, &OptionButton::Click);
}

void OptionButton::SetValue(bool on)
{
    if (!on) {
        setChecked(false);
        return;
    }
    setChecked(true);
    emit Click();
}

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &TextBox::Change);
}

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, &ComboBox::Click);
}

void ComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit KeyPress(13);  // Enter is the box's own: the text stays as typed
        return;
    }
    if (!event->text().isEmpty()) {
        emit KeyPress(event->text().at(0).unicode());
    }
    QComboBox::keyPressEvent(event);
}

void ComboBox::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    emit GotFocus();
}

void ComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    emit LostFocus();
}

}  // namespace platform
