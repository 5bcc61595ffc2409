#include "mainwindow/picture_export.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/host.h"
#include "import/jpeg_file.h"
#include "import/png_file.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/file_commands.h"
#include "movie/canvas_movie.h"
#include "platform/base/atomic_file.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>

namespace mainwindow {
namespace {

using core::Doc;

constexpr int32_t kJpegQuality = 100;
constexpr uint8_t kWhite = 255;
constexpr uint8_t kBlack = 0;
constexpr size_t kEndingLength = 3;
constexpr size_t kDrawingExtensionLength = 4;  // ".qlk"
constexpr uint32_t kBitmapHeadersSize = 14 + 40;
constexpr int32_t kPixelsPerMetre = 3780;      // 96 pixels per inch

const char *const kSavingStatus = "保存中...";
const char *const kDoneStatus = "完了";
const char *const kExportFailed = "ファイルを保存できませんでした。";
const char *const kExportFailedTitle = "ファイル保存エラー";

QString ExportFilter()
{
    return platform::MakeFilterString({{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ画像 (*.bmp)"), QStringLiteral("*.bmp")},
                                       {QStringLiteral("JPEG画像 (*.jpg)"), QStringLiteral("*.jpg")},
                                       {QStringLiteral("PNG画像 (*.png)"), QStringLiteral("*.png")},
                                       {QStringLiteral("Shockwave Flash ｵﾌﾞｼﾞｪｸﾄ (*.swf)"), QStringLiteral("*.swf")}});
}

// The open drawing's name without its extension, the proposal for the exported file.
QString ExportProposal()
{
    const std::string &current = core::Lifecycle().CurrentFileName;
    if (current.size() < kDrawingExtensionLength) {
        return QString();
    }
    return QString::fromStdString(current.substr(0, current.size() - kDrawingExtensionLength));
}

// A colour channel of a pixel rendered over black (k) and over white (w), no longer
// premultiplied; a channel that has no coverage of its own is 0.
uint8_t Unpremultiplied(int k, int w)
{
    int coverage = k - w + 255;
    if (coverage <= 0) {
        return 0;
    }
    return static_cast<uint8_t>(std::min(255, k * 255 / coverage));
}

void PutLe16(std::string &bytes, uint32_t value)
{
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutLe32(std::string &bytes, uint32_t value)
{
    PutLe16(bytes, value & 0xFFFF);
    PutLe16(bytes, value >> 16);
}

bool CopyCanvasMovie(const std::string &name)
{
    const std::string_view movie = movie::CanvasMovieBytes(Doc().CanvasTempFile);
    return !movie.empty() && platform::WriteFileAtomically(name, movie);
}

}  // namespace

std::vector<uint8_t> AlphaPixelsFromRenders(const QImage &overWhite, const QImage &overBlack)
{
    const QImage white = overWhite.convertToFormat(QImage::Format_RGB32);
    const QImage black = overBlack.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(white.width(), black.width());
    const int height = std::min(white.height(), black.height());
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    uint8_t *out = pixels.data();
    for (int y = 0; y < height; ++y) {
        const QRgb *w = reinterpret_cast<const QRgb *>(white.constScanLine(y));
        const QRgb *k = reinterpret_cast<const QRgb *>(black.constScanLine(y));
        for (int x = 0; x < width; ++x, out += 4) {
            const int alpha = std::clamp(qRed(k[x]) - qRed(w[x]) + 255, 0, 255);
            if (alpha != 0) {
                out[0] = Unpremultiplied(qBlue(k[x]), qBlue(w[x]));
                out[1] = Unpremultiplied(qGreen(k[x]), qGreen(w[x]));
                out[2] = Unpremultiplied(qRed(k[x]), qRed(w[x]));
            }
            out[3] = static_cast<uint8_t>(alpha);
        }
    }
    return pixels;
}

std::string BitmapFileBytes(const importer::DibSection &bitmap)
{
    const uint32_t imageSize =
        static_cast<uint32_t>(bitmap.BytesPerScanLine()) * static_cast<uint32_t>(bitmap.height());
    std::string bytes = "BM";
    PutLe32(bytes, kBitmapHeadersSize + imageSize);
    PutLe32(bytes, 0);  // reserved
    PutLe32(bytes, kBitmapHeadersSize);
    PutLe32(bytes, 40);
    PutLe32(bytes, static_cast<uint32_t>(bitmap.width()));
    PutLe32(bytes, static_cast<uint32_t>(bitmap.height()));  // positive: rows bottom-up
    PutLe16(bytes, 1);
    PutLe16(bytes, 24);
    PutLe32(bytes, 0);  // uncompressed
    PutLe32(bytes, imageSize);
    PutLe32(bytes, kPixelsPerMetre);
    PutLe32(bytes, kPixelsPerMetre);
    PutLe32(bytes, 0);
    PutLe32(bytes, 0);
    if (const uint8_t *bits = bitmap.DIBSectionBitsPtr()) {
        bytes.append(reinterpret_cast<const char *>(bits), imageSize);
    }
    return bytes;
}

std::string ExportEnding(const std::string &name)
{
    std::string ending = name.size() < kEndingLength ? name : name.substr(name.size() - kEndingLength);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending;
}

void DrawGUI::mnuSaveFilePicture_Click()
{
    platform::OpenFileName record = FileDialogRecord(this, ExportFilter(), QStringLiteral("bmp"),
                                                     CurrentOrProgramFolder(), ExportProposal());
    if (platform::ShowSaveDialog(record) == 0 || record.lpstrFile.isEmpty()) {
        return;
    }
    const std::string name = record.lpstrFile.toStdString();
    core::Host &host = core::GetHost();
    const core::CanvasSettings saved = Doc().CurrentSettings;
    Doc().CurrentSettings.DrawOutsideFlag = 0;  // the movie covers exactly the canvas
    movie::MakeCanvasMovie();
    host.ShowStatus(kSavingStatus);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool written = ExportPicture(name);
    Doc().CurrentSettings = saved;
    // The export's movie stops at the canvas edge; the canvas shows the whole drawing again.
    movie::MakeCanvasMovie();
    DispShape(1);
    if (written) {
        host.ShowStatus(kDoneStatus);
    } else {
        host.ShowStatus(kExportFailed);
        host.ShowErrorMessage(std::string(kExportFailed) + "\n" + name, kExportFailedTitle);
    }
}

bool DrawGUI::ExportPicture(const std::string &name)
{
    const std::string ending = ExportEnding(name);
    if (ending == "swf") {
        return CopyCanvasMovie(name);
    }
    if (ending == "png") {
        return RenderExportPicture(name);
    }
    if (ending != "bmp" && ending != "jpg") {
        return true;  // another ending writes nothing
    }
    const QImage picture = RenderCanvasPicture();
    importer::DibSection bitmap;
    if (picture.isNull() || !bitmap.Create(picture.width(), picture.height())) {
        return false;
    }
    bitmap.LoadPictureBlt(picture, 0, 0, -1, -1);
    if (ending == "bmp") {
        return platform::WriteFileAtomically(name, BitmapFileBytes(bitmap));
    }
    return importer::SaveJpegFile(bitmap, name, kJpegQuality);
}

QImage DrawGUI::RenderCanvasPicture()
{
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    const int64_t width = settings.Width;
    const int64_t height = settings.Height;
    if (width <= 0 || height <= 0 || width * height > importer::kMaxPicturePixels) {
        return QImage();
    }
    QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (picture.isNull()) {
        return picture;
    }
    picture.fill(Qt::white);
    LoadCanvasMovie();
    ShockwaveFlash1.Render(picture, picture.rect(), movie::CanvasMovieArea(Doc().ViewExtent));
    return picture;
}

bool DrawGUI::RenderExportPicture(const std::string &file)
{
    core::CanvasSettings &settings = Doc().CurrentSettings;
    const core::CanvasSettings saved = settings;
    auto renderOver = [&](uint8_t level) {
        settings.BackColorR = settings.BackColorG = settings.BackColorB = level;
        movie::ClearBackColorCache();
        movie::MakeCanvasMovie();
        return RenderCanvasPicture();  // the canvas itself is redrawn once, after both renders
    };
    const QImage overWhite = renderOver(kWhite);
    const QImage overBlack = renderOver(kBlack);
    settings = saved;
    movie::ClearBackColorCache();
    movie::MakeCanvasMovie();
    DispShape(1);  // the canvas shows its own colours again
    if (overWhite.isNull() || overBlack.isNull()) {
        return false;
    }
    return importer::SavePng(AlphaPixelsFromRenders(overWhite, overBlack), overWhite.width(), overWhite.height(), file);
}

}  // namespace mainwindow
