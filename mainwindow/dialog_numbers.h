// Numbers typed into the dialogs' text boxes, and the text the boxes show: the number at the start
// of the text (0 when there is none), kept inside what its field can hold.
#pragma once

#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <QString>

#include <algorithm>
#include <cfloat>
#include <cstdint>

namespace mainwindow {

inline double NumberOf(const QString &text)
{
    return platform::Val(text.toStdString());
}

// Rounded to a whole number, halves to even, saturated to 32 bits.
inline int32_t WholeNumberOf(const QString &text)
{
    return platform::RoundToInt32(NumberOf(text));
}

inline int32_t WholeNumberOf(const QString &text, int32_t low, int32_t high)
{
    return std::clamp(WholeNumberOf(text), low, high);
}

// A single-precision value; beyond its range the largest one of the sign.
inline float SingleOf(const QString &text)
{
    return static_cast<float>(std::clamp(NumberOf(text), -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// Shortest decimal forms: a whole or double value, and a single with at most seven digits.
inline QString NumberText(double value)
{
    return QString::fromStdString(platform::FormatNumber(value));
}

inline QString SingleText(float value)
{
    QString text = QString::fromStdString(platform::FormatSingle(value));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("-."))) {
        text.insert(text.indexOf(QLatin1Char('.')), QLatin1Char('0'));  // ".5" shows as "0.5"
    }
    return text;
}

}  // namespace mainwindow
