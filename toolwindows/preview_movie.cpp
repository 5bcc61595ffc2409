// The animation preview movie: the drawings selected in the file browser, one frame each or
// morphing from each to the next, every frame captioned with its file name. The drawings are read
// one at a time into the document's paths and settings, which are put back afterwards.
#include "toolwindows/animation_preview.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "import/picture_file.h"
#include "movie/canvas_movie.h"
#include "movie/edit_text.h"
#include "movie/morph_shapes.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/base/file_names.h"
#include "platform/base/rounding.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <utility>

namespace toolwindows {

namespace {

constexpr int32_t kIdsPerRow = 5;
// Ids are 16-bit in the movie: rows whose five ids do not fit are left out.
constexpr size_t kMaxRows = 65535 / kIdsPerRow;
// The movie header counts frames in 16 bits.
constexpr int32_t kMaxFrames = 65535;

constexpr int32_t kUnderlayBehindLayer = 1;
constexpr int32_t kDrawingLayer = 2;
constexpr int32_t kUnderlayInFrontLayer = 3;
constexpr int32_t kCaptionLayer = 4;
constexpr int32_t kOpaque = 256;
constexpr int32_t kTwipsPerPixel = 20;
constexpr int32_t kCaptionHeight = 240;  // twips

const char kCaptionFont[] = "_ゴシック";
const char kStatusText[] = "プレビューを生成中... ";
const char kProgressBar[] = "■■■■■■■■■■・・・・・・・・・・";

// Takes the document's paths and settings as working storage and puts them back on leaving,
// whatever happened in between.
class DocumentLoan {
public:
    DocumentLoan() : settings_(core::Doc().CurrentSettings), paths_(core::Doc().DocPaths) {}
    ~DocumentLoan()
    {
        core::Doc().CurrentSettings = std::move(settings_);
        core::Doc().DocPaths = std::move(paths_);
    }
    DocumentLoan(const DocumentLoan &) = delete;
    DocumentLoan &operator=(const DocumentLoan &) = delete;

private:
    core::CanvasSettings settings_;
    core::PathArray paths_;
};

// The status line with a progress bar of nine cells starting at character `start` (from 1).
void ShowProgress(int start)
{
    QString bar = QString::fromUtf8(kProgressBar).mid(start - 1, 9);
    core::GetHost().ShowStatus(kStatusText + bar.toStdString());
}

// Places a character at the origin, unscaled and opaque (or at a morph ratio).
void PlaceAtOrigin(int32_t id, int32_t layer, float ratio = -1.0f)
{
    static const movie::ColorTransformSpec kNoTransform;
    movie::PlaceObject(id, 0, 0, 1.0f, 1.0f, 0.0f, 0, kOpaque, layer, "", "", movie::kNoClipLayer, ratio,
                       kNoTransform);
}

// Runs define and tells whether it appended any tag to the frame being built.
template <typename Define>
bool Appended(Define define)
{
    const size_t before = movie::Writer().TagBuffer.size();
    define();
    return movie::Writer().TagBuffer.size() > before;
}

// The underlay of the drawing in CurrentSettings, when it is shown: its definition and placement.
// An underlay that yields no tags is not placed, so no placement names a missing character.
void AddUnderlay(int32_t firstId, const std::string &moviePath)
{
    core::Host &host = core::GetHost();
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    if (!host.UnderlayChecked() || settings.BackgroundFlag != 1) {
        return;
    }
    if (!Appended([&] { movie::DefineBackground(firstId + 1, moviePath, 0); })) {
        return;
    }
    static const movie::ColorTransformSpec kNoTransform;
    const int32_t layer = host.UnderlayInFrontChecked() ? kUnderlayInFrontLayer : kUnderlayBehindLayer;
    movie::PlaceObject(firstId + 2, platform::SaturateInt<int32_t>(int64_t{settings.BackgroundX} * kTwipsPerPixel),
                       platform::SaturateInt<int32_t>(int64_t{settings.BackgroundY} * kTwipsPerPixel),
                       settings.BackgroundScale, settings.BackgroundScale, 0.0f, 0, settings.BackgroundOpacity, layer,
                       "", "", movie::kNoClipLayer, -1.0f, kNoTransform);
}

void AddCaption(int32_t firstId, const std::string &text)
{
    movie::DefineDeviceFont(firstId + 3, kCaptionFont, 0);
    movie::DefineEditText(firstId + 4, firstId + 3, kCaptionHeight, 0, text, 0, 0, 0, 0, "", 0, 0, false);
    PlaceAtOrigin(firstId + 4, kCaptionLayer);
}

struct SelectedDrawing {
    size_t row = 0;
    std::string file;
    bool drawing = false;  // the probe found a native drawing
};

class PreviewBuilder {
public:
    PreviewBuilder(const std::string &path, int mode, const PreviewPace &pace) : path_(path), mode_(mode), pace_(pace)
    {
    }

    // Writes the movie; the size in pixels, 0 x 0 when no drawing was read or the file failed.
    std::pair<int32_t, int32_t> Build(const PreviewRows &rows)
    {
        std::vector<SelectedDrawing> selection = Select(rows);
        int32_t width = 0;
        int32_t height = 0;
        // Sizing pass: the largest canvas width and height, taken separately.
        for (size_t j = 0; j < selection.size(); ++j) {
            ShowProgress(11 - Progress(j, selection.size(), 3));
            importer::ImageInfo info = importer::GetImageInfo(selection[j].file, importer::kProbeContent);
            if (info.ImageType == importer::kImageDrawing) {
                selection[j].drawing = true;
                width = std::max(width, info.ImageWidth);
                height = std::max(height, info.ImageHeight);
            }
        }
        width = std::clamp(width, 1, movie::kMaxFramePixels);
        height = std::clamp(height, 1, movie::kMaxFramePixels);
        // Frame pass.
        for (size_t j = 0; j < selection.size() && movie::Writer().FrameCount < kMaxFrames; ++j) {
            ShowProgress(8 - Progress(j, selection.size(), 7));
            if (selection[j].drawing) {
                AddDrawing(selection[j], width, height);
            }
        }
        if (!started_) {
            return {0, 0};
        }
        movie::ControlMovieFile(path_, movie::kMovieFrames);
        movie::WriteEndTag();
        if (!movie::ControlMovieFile(path_, movie::kMovieFinish)) {
            return {0, 0};
        }
        return {width, height};
    }

private:
    static std::vector<SelectedDrawing> Select(const PreviewRows &rows)
    {
        std::string folder = rows.folder;
        if (!folder.empty() && folder.back() != '/') {
            folder += '/';
        }
        std::vector<SelectedDrawing> selection;
        const size_t count = std::min({rows.names.size(), rows.selected.size(), kMaxRows});
        for (size_t i = 0; i < count; ++i) {
            if (rows.selected[i]) {
                selection.push_back({i, folder + rows.names[i], false});
            }
        }
        return selection;
    }

    // Int(j / count * cells): how many cells of the pass are filled before item j.
    static int Progress(size_t j, size_t count, int cells)
    {
        return static_cast<int>(static_cast<double>(j) / static_cast<double>(count) * cells);
    }

    void AddDrawing(const SelectedDrawing &item, int32_t width, int32_t height)
    {
        core::Document &doc = core::Doc();
        core::DrawingFileContents contents;
        contents.Settings = doc.CurrentSettings;
        std::string message;
        if (!core::ReadDrawingFile(item.file, contents, message)) {
            return;  // a drawing that cannot be read is left out
        }
        doc.CurrentSettings = std::move(contents.Settings);
        doc.DocPaths = std::move(contents.Paths);
        core::RemoveEmptyPaths(doc.DocPaths);

        if (!started_) {
            const float rate = pace_.FramesPerSecond;
            movie::BeginMovie(6, width, height, rate);
            movie::SetBackgroundColor(doc.CurrentSettings.BackColorR, doc.CurrentSettings.BackColorG,
                                      doc.CurrentSettings.BackColorB);
            movie::ControlMovieFile(path_, movie::kMovieOpen);
        }
        const std::string name = platform::GetFileNamePart(item.file);
        const int32_t firstId = static_cast<int32_t>(item.row) * kIdsPerRow + 1;
        if (mode_ == 0) {
            BeginFrame(firstId, name);
            movie::DefineShape(firstId, doc.DocPaths, true);
            PlaceAtOrigin(firstId, kDrawingLayer);
            movie::NextFrame();
        } else if (started_) {
            BeginFrame(firstId, previousName_ + " → " + name);
            AddMorphFrames(firstId);
        }
        previousPaths_ = doc.DocPaths;
        previousName_ = name;
        started_ = true;
    }

    // What every frame of a drawing starts with: the layers cleared, the underlay and the caption.
    void BeginFrame(int32_t firstId, const std::string &caption)
    {
        movie::RemoveObjects("1,2,3,4");
        AddUnderlay(firstId, path_);
        AddCaption(firstId, caption);
    }

    void AddMorphFrames(int32_t firstId)
    {
        const core::PathArray &paths = core::Doc().DocPaths;
        const bool defined = Appended([&] {
            movie::DefineMorphShape(firstId, previousPaths_, paths, core::GetPathsBounds(previousPaths_),
                                    core::GetPathsBounds(paths));
        });
        const int32_t steps = std::min(pace_.MorphFrames, kMaxFrames);
        if (steps <= 1) {
            return;
        }
        for (int32_t k = 0; k < steps && movie::Writer().FrameCount < kMaxFrames; ++k) {
            // Paths that cannot be paired (different counts) give no morph shape: the frames
            // then show the underlay and caption alone.
            if (defined) {
                PlaceAtOrigin(firstId, kDrawingLayer, static_cast<float>(static_cast<double>(k) / (steps - 1)));
            }
            movie::NextFrame();
        }
    }

    std::string path_;
    int mode_ = 0;
    PreviewPace pace_;
    bool started_ = false;
    core::PathArray previousPaths_{core::PathRecord()};
    std::string previousName_;
};

}  // namespace

void MakePreviewMovie(const std::string &path, int32_t &width, int32_t &height, int mode, const PreviewRows &rows,
                      const PreviewPace &pace)
{
    width = 0;
    height = 0;
    std::error_code error;
    std::filesystem::remove(path, error);
    {
        DocumentLoan loan;
        std::tie(width, height) = PreviewBuilder(path, mode, pace).Build(rows);
    }
    movie::ClearBackgroundCache();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    core::Host &host = core::GetHost();
    host.ReloadCanvas();
    host.RefreshList();
    host.RefreshPosition();
    host.RefreshGradient();
    host.ShowStatus("");
}

}  // namespace toolwindows
