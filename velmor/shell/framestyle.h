#pragma once
// The filter frame's border runs through the middle of its caption, as the window was designed,
// rather than below it as some styles draw it: the swatches placed just under the caption then
// lie inside the border instead of across it.

class QGroupBox;
class QRect;

namespace shell {

// Draws box's border that way, in the application's style otherwise.
void drawBorderThroughCaption(QGroupBox* box);

// The rectangle the border is drawn on, in the box's coordinates.
QRect captionBorderRect(const QGroupBox* box);

} // namespace shell
