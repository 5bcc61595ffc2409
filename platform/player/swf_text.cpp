// Text fields drawn with device fonts: the movie names a font, the viewing system supplies it.
#include "platform/glyphs/font_families.h"
#include "platform/player/swf_text.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <fontconfig/fontconfig.h>

#include <mutex>

namespace platform::swf {

namespace {

// The family fontconfig picks for a requested name (its best substitute when not installed).
QString MatchFamily(const QString &family)
{
    QString result = family;
    FcPattern *pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return result;
    }
    QByteArray utf8 = family.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(utf8.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &status);
    FcChar8 *matched = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch) {
        result = QString::fromUtf8(reinterpret_cast<const char *>(matched));
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return result;
}

// Minimal HTML text: tags removed, line breaks kept, the common entities decoded. The
// expressions are local: fields may be drawn on several threads at once.
QString PlainFromHtml(QString html)
{
    const QRegularExpression lineBreak(QStringLiteral("<br\\s*/?>|</p>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    html.replace(lineBreak, QStringLiteral("\n"));
    html.remove(tag);
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

QString DisplayedText(const EditTextCharacter &field)
{
    QString text = (field.flags & kEditHtml) ? PlainFromHtml(field.text) : field.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!(field.flags & kEditMultiline)) {
        text = text.section(QLatin1Char('\n'), 0, 0);
    }
    return text;
}

Qt::Alignment HorizontalAlignment(int32_t align)
{
    switch (align) {
    case 1:
        return Qt::AlignRight;
    case 2:
        return Qt::AlignHCenter;
    case 3:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

constexpr double kGutter = 40;  // twips between a field's bounds and its text

// The families fontconfig picked for the font names asked before: movies are read on several
// threads at once (the window's and the thumbnail worker's), so the cache takes its lock.
class DeviceFontCache {
public:
    QString Resolve(const QString &name)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto found = resolved_.constFind(name);
            if (found != resolved_.constEnd()) {
                return *found;
            }
        }
        // Matched outside the lock: two threads asking for one new name both find the same family.
        QString family = MatchFamily(QString::fromStdString(platform::StandInFamily(name.toStdString())));
        std::lock_guard<std::mutex> lock(mutex_);
        resolved_.insert(name, family);
        return family;
    }

private:
    std::mutex mutex_;
    QHash<QString, QString> resolved_;
};

}  // namespace

QString ResolveDeviceFont(const QString &name)
{
    static DeviceFontCache cache;
    return cache.Resolve(name);
}

void DrawEditText(const Movie &movie, const EditTextCharacter &field, QPainter &painter, const ColorTransform &cx,
                  Quality quality)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    if (field.hasFont) {
        if (const auto *character = movie.Find(field.fontId); character && std::holds_alternative<FontCharacter>(*character)) {
            const auto &device = std::get<FontCharacter>(*character);
            font.setFamily(device.family);
            font.setBold(device.bold);
            font.setItalic(device.italic);
        }
    }
    font.setPixelSize(std::clamp(static_cast<int>(field.height), 1, 65535));
    font.setStyleStrategy(quality == Quality::Low ? QFont::NoAntialias : QFont::PreferAntialias);
    const QString text = DisplayedText(field);
    const bool wrap = (field.flags & kEditWordWrap) && (field.flags & kEditMultiline);
    const int flags = static_cast<int>(HorizontalAlignment(field.align) | Qt::AlignTop) | (wrap ? Qt::TextWordWrap : 0);

    QRectF box = field.bounds;
    if (field.flags & kEditAutoSize) {
        QFontMetricsF metrics(font);
        QRectF needed = metrics.boundingRect(QRectF(0, 0, wrap ? box.width() : 1e7, 1e7), flags, text);
        box.setWidth(std::max(box.width(), needed.width() + 2 * kGutter + field.leftMargin + field.rightMargin));
        box.setHeight(std::max(box.height(), needed.height() + 2 * kGutter));
    }
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    if (field.flags & kEditBorder) {
        painter.setPen(QPen(QColor::fromRgba(cx.Apply(qRgb(0, 0, 0))), 0));
        painter.setBrush(QColor::fromRgba(cx.Apply(qRgb(255, 255, 255))));
        painter.drawRect(box);
    }
    QRectF textBox = box.adjusted(kGutter + field.leftMargin + field.indent, kGutter, -kGutter - field.rightMargin,
                                  -kGutter);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(cx.Apply(field.color)));
    painter.drawText(textBox, flags, text);
    painter.restore();
}

}  // namespace platform::swf
