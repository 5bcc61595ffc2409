// The system colours of a widget's palette as 0x00BBGGRR values for the picture boxes.
#pragma once

#include <QPalette>
#include <QWidget>

#include <cstdint>

namespace toolwindows {

inline uint32_t SystemColor(const QWidget *widget, QPalette::ColorRole role)
{
    QColor colour = widget->palette().color(role);
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

}  // namespace toolwindows
