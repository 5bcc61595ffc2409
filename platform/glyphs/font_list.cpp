#include "platform/glyphs/glyph_font.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace platform {

std::vector<std::string> ListOutlineFontFamilies()
{
    std::vector<std::string> families;
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
        FcPatternBuild(nullptr, FC_OUTLINE, FcTypeBool, FcTrue, static_cast<char *>(nullptr)), &FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, static_cast<char *>(nullptr)), &FcObjectSetDestroy);
    if (!pattern || !objects) {
        return families;
    }
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), &FcFontSetDestroy);
    if (!fonts) {
        return families;
    }
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr;
        // The first name is the family's own; further ones are translations of it.
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family && *family) {
            families.emplace_back(reinterpret_cast<const char *>(family));
        }
    }
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

}  // namespace platform
