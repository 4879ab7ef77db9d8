#include "velmor/shell/layout.h"

namespace shell {

LayoutTargets layoutFor(const LayoutBase& base, float sourceWidth, float sourceHeight)
{
    LayoutTargets t{base.BaseFormWidth, base.BaseFormHeight, base.BasePreviewLeft};
    // Both views take the extra width, so the window grows by twice it; the extra height once.
    if (sourceWidth > base.BaseSourceWidth) {
        const double extra = double(sourceWidth) - double(base.BaseSourceWidth);
        t.formWidth = static_cast<float>(double(base.BaseFormWidth) + 2.0 * extra);
        t.previewLeft = static_cast<float>(double(base.BasePreviewLeft) + extra);
    }
    if (sourceHeight > base.BaseSourceHeight)
        t.formHeight = static_cast<float>(double(base.BaseFormHeight) + (double(sourceHeight) - double(base.BaseSourceHeight)));
    return t;
}

} // namespace shell
