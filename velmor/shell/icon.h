#pragma once
// The window's 32 x 32 icon in the 16 colours of the classic palette: a yellow square overlapping
// a white sheet with a black outline and a grey shadow, a dark-red, a green and a blue shape, and
// a red band over them.

#include <QImage>

namespace shell {

QImage velmorIconImage();

} // namespace shell
