#pragma once
// Colour values (0x00BBGGRR, red in the low byte) as Qt colours and back.

#include "velmor/engine/colorvalues.h"

#include <QColor>

namespace dialogs {

inline QColor toQColor(engine::ColorValue v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

inline engine::ColorValue fromQColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace dialogs
