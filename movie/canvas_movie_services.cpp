#include "movie/canvas_movie_services.h"

#include "core/canvas_services.h"
#include "core/document.h"
#include "movie/canvas_movie.h"
#include "platform/player/movie_player.h"

#include <QRect>

namespace movie {
namespace {

constexpr int32_t kWhiteRgb = 0xFFFFFF;

class MovieCanvasServices : public core::CanvasServices {
public:
    void MakeCanvasMovie() override { movie::MakeCanvasMovie(); }
    void ClearGridCache() override { movie::ClearGridCache(); }
    void ClearBackColorCache() override { movie::ClearBackColorCache(); }

    bool RenderCanvasMovie(QImage &bitmap) override
    {
        platform::MoviePlayer player;
        player.SetQuality2("low");
        player.SetBackgroundColor(kWhiteRgb);
        LoadCanvasMovieInto(player, core::Doc().CanvasTempFile);
        player.Render(bitmap, QRect(0, 0, bitmap.width(), bitmap.height()), CanvasMovieArea(core::Doc().ViewExtent));
        return true;
    }
};

}  // namespace

void InstallCanvasServices()
{
    static MovieCanvasServices services;
    core::SetCanvasServices(&services);
}

}  // namespace movie
