// Standard controls whose events fire the way the windows' handlers expect: a value change made
// by the program runs the same handler as one made by the user.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include <cstdint>

namespace platform {

// A scroll bar with 16-bit Min, Max and Value. Change fires whenever the value changes (the
// program set it, an arrow or the track was clicked, or a thumb drag ended at a new value); Scroll
// fires while the thumb is being dragged.
class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    int16_t Min() const { return min_; }
    int16_t Max() const { return max_; }
    int16_t Value() const { return static_cast<int16_t>(value()); }
    void SetMin(int16_t min);
    void SetMax(int16_t max);
    // Clamped into the range; Change fires when the value differs.
    void SetValue(int value) { setValue(value); }
    void SetSmallChange(int step) { setSingleStep(step); }
    void SetLargeChange(int step) { setPageStep(step); }

signals:
    void Change();
    void Scroll();

private:
    void ApplyRange();
    void OnValueChanged();

    int16_t min_ = 0;
    int16_t max_ = 0;
    int dragStartValue_ = 0;
};

// A check box with Value 0/1; Click fires on every change of Value, also when the program sets it.
// In graphical style it is a toggle button showing its picture or caption, pressed while on.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString &caption, QWidget *parent = nullptr);
    int Value() const { return isChecked() ? 1 : 0; }
    void SetValue(int value) { setChecked(value != 0); }
    void SetGraphical(bool on);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    bool graphical_ = false;
};

// An option button of a group; Click fires when the user clicks it and whenever the program
// switches it on, even when it already was.
// In graphical style it is a button showing its picture or caption, pressed while chosen.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString &caption, QWidget *parent = nullptr);
    bool Value() const { return isChecked(); }
    void SetValue(bool on);
    void SetGraphical(bool on);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    bool graphical_ = false;
};

// A text box; Change fires on every change of the text, the program's included. KeyPress fires
// before a typed character goes in (the ASCII code: 13 Enter, 27 Esc; those two stay out of the
// text, and then go on to the window), GotFocus and LostFocus on focus changes.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    QString Text() const { return text(); }
    void SetText(const QString &text) { setText(text); }

signals:
    void Change();
    void KeyPress(int keyAscii);
    void GotFocus();
    void LostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// An editable combo box: Click fires when an item is chosen from the list, KeyPress for each
// typed character (the ASCII code, 13 for Enter, which keeps the text as typed and then goes on to
// the window), GotFocus and LostFocus on focus changes.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);
    QString Text() const { return currentText(); }
    void SetText(const QString &text) { setEditText(text); }

signals:
    void Click();
    void KeyPress(int keyAscii);
    void GotFocus();
    void LostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// A label that reports clicks and mouse moves, for captions that act as small buttons.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const QString &caption, QWidget *parent = nullptr);

signals:
    void Click();
    void MouseMove();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

}  // namespace platform
