#include "toolwindows/path_submenus.h"

namespace toolwindows {

platform::MenuArray *AddAlignmentItems(platform::Menu *menu, int firstCode,
                                       std::initializer_list<const char *> captions)
{
    auto *array = new platform::MenuArray(menu, QString(), firstCode);
    int code = firstCode;
    for (const char *caption : captions) {
        array->Load(code++)->SetCaption(QString::fromUtf8(caption));
    }
    return array;
}

}  // namespace toolwindows
