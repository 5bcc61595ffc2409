#include "core/gradient_edit.h"

#include <algorithm>

namespace core {

namespace {
GradientEdit g_gradientEdit;
}

void GradientEdit::SetStopCount(int32_t count)
{
    EditGradStopCount = std::max<int32_t>(1, count);
    EditGradStops.resize(static_cast<size_t>(EditGradStopCount) + 1);
}

GradientEdit &GradEdit()
{
    return g_gradientEdit;
}

void ResetGradientEditForTest()
{
    g_gradientEdit = GradientEdit();
}

}  // namespace core
