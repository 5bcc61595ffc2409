#include "canvastools/status_line.h"

#include "canvastools/canvas_window.h"

namespace canvastools {

QString StatusText()
{
    return HasCanvasWindow() ? CanvasWindow().StatusText() : QString();
}

void SetStatusText(const QString &text)
{
    if (!HasCanvasWindow()) {
        return;
    }
    CanvasWindow().SetStatusText(text);
}

void WriteStatusField(int position, const QString &field)
{
    const QString shown = StatusText();
    QString line = shown;
    if (line.size() < kStatusWidth) {
        line = line.leftJustified(kStatusWidth, QLatin1Char(' '));
    }
    int start = position - 1;
    if (start < 0 || start >= line.size()) {
        return;
    }
    int count = std::min<int>(static_cast<int>(field.size()), static_cast<int>(line.size()) - start);
    line.replace(start, count, field.left(count));
    // Every redisplay writes its fields: the line is set again only when they changed it.
    if (line != shown) {
        SetStatusText(line);
    }
}

}  // namespace canvastools
