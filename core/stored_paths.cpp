#include "core/stored_paths.h"

#include "platform/base/text_encoding.h"

#include <map>

namespace core {
namespace {

struct StoredPaths {
    std::map<std::string, std::string> realPathOfText;  // text as read back -> the path stored
};

StoredPaths g_storedPaths;

}  // namespace

bool NoteStoredPath(const std::string &utf8)
{
    if (platform::FitsCp932(utf8)) {
        return true;
    }
    g_storedPaths.realPathOfText[platform::Cp932ToUtf8(platform::Utf8ToCp932(utf8))] = utf8;
    return false;
}

std::string PathOfStoredText(const std::string &utf8)
{
    auto found = g_storedPaths.realPathOfText.find(utf8);
    return found == g_storedPaths.realPathOfText.end() ? utf8 : found->second;
}

void ResetStoredPathsForTest()
{
    g_storedPaths = StoredPaths();
}

}  // namespace core
