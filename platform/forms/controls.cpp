#include "platform/forms/controls.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace platform {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    setRange(0, 0);
    // Like a window's scroll bar control it takes the keyboard when clicked or tabbed to: the arrow
    // keys then step it and Page Up/Down page it.
    setFocusPolicy(Qt::StrongFocus);
    // QScrollBar inverts the keys for both orientations; only Up/Down need it (Up scrolls back),
    // a horizontal bar steps back with Left.
    setInvertedControls(orientation == Qt::Vertical);
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

namespace {

// Draws a check box or option button in graphical style: a bevelled button, sunken while on,
// with the picture (or else the caption) in its middle. A button that is on has its face, picture
// or caption included, tinted with the highlight colour, so that on and off tell apart at a glance.
void PaintGraphicalButton(QAbstractButton *button)
{
    QPainter painter(button);
    QStyleOptionButton option;
    option.initFrom(button);
    option.features = QStyleOptionButton::None;
    if (button->isChecked() || button->isDown()) {
        option.state |= QStyle::State_Sunken | QStyle::State_On;
    } else {
        option.state |= QStyle::State_Raised;
    }
    button->style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, button);
    QRect inner = button->rect().adjusted(2, 2, -2, -2);
    if (!button->icon().isNull()) {
        QSize size = button->iconSize().boundedTo(inner.size());
        QRect target(QPoint(0, 0), size);
        target.moveCenter(inner.center());
        QIcon::Mode mode = button->isEnabled() ? QIcon::Normal : QIcon::Disabled;
        button->icon().paint(&painter, target, Qt::AlignCenter, mode);
    } else {
        painter.setPen(button->palette().color(button->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                               QPalette::ButtonText));
        painter.drawText(inner, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
    }
    if (button->isChecked()) {
        QColor tint = button->palette().color(QPalette::Highlight);
        tint.setAlpha(96);
        painter.fillRect(inner, tint);
    }
}

}  // namespace

void CheckBox::SetGraphical(bool on)
{
    graphical_ = on;
    update();
}

void CheckBox::paintEvent(QPaintEvent *event)
{
    if (graphical_) {
        PaintGraphicalButton(this);
    } else {
        QCheckBox::paintEvent(event);
    }
}

bool CheckBox::hitButton(const QPoint &pos) const
{
    return graphical_ ? rect().contains(pos) : QCheckBox::hitButton(pos);
}

void OptionButton::SetGraphical(bool on)
{
    graphical_ = on;
    update();
}

void OptionButton::paintEvent(QPaintEvent *event)
{
    if (graphical_) {
        PaintGraphicalButton(this);
    } else {
        QRadioButton::paintEvent(event);
    }
}

bool OptionButton::hitButton(const QPoint &pos) const
{
    return graphical_ ? rect().contains(pos) : QRadioButton::hitButton(pos);
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

namespace {

// Enter and Esc reach the box's handler first; then they go on to the window, whose own keys (a
// dialog's default button and its cancel) act as they do from any other control. The handler
// may have closed the box.
template <class Box>
void PassOnAfterKeyPress(Box *box, QKeyEvent *event, int keyAscii)
{
    QPointer<Box> alive(box);
    emit box->KeyPress(keyAscii);
    if (alive) {
        event->ignore();
    }
}

}  // namespace

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        PassOnAfterKeyPress(this, event, 13);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        PassOnAfterKeyPress(this, event, 27);
        return;
    }
    if (!event->text().isEmpty()) {
        emit KeyPress(event->text().at(0).unicode());
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    emit GotFocus();
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit LostFocus();
}

Label::Label(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setMouseTracking(true);
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
}

void Label::mouseMoveEvent(QMouseEvent *event)
{
    QLabel::mouseMoveEvent(event);
    emit MouseMove();
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
        PassOnAfterKeyPress(this, event, 13);  // the text stays as typed
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
