#pragma once
// The scaled copy a view shows of a picture larger than the screen allows. A photo reduced ten
// times or more is first averaged over whole blocks of pixels, which is cheap and keeps every
// pixel's share, and only the small remainder is scaled smoothly.

#include <QImage>

namespace shell {

// The picture at the given size (aspect as given), never enlarged past its own size by the
// averaging step. Null for a null picture.
QImage scaledForView(const QImage& picture, QSize size);

// The average of each k x k block (k >= 1), as an RGB32 picture of (width / k) x (height / k);
// the rightmost and bottom pixels that fill no whole block are left out.
QImage averageBlocks(const QImage& picture, int k);

} // namespace shell
