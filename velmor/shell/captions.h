#pragma once
// Captions in the platform's Japanese font, which is wider than the one the window was designed
// for. A control keeps its designed place; where its caption needs more room it grows to the
// right as far as its neighbour allows, and where even that is too narrow its font is narrowed
// just enough for the whole caption to show.

class QWidget;

namespace shell {

// The width the control needs to show its caption whole in its current font: the text as drawn
// (access-key markers dropped) and what the style draws beside it.
int captionWidth(const QWidget* control);

// Fits the control's caption, growing it up to rightLimit (the first pixel it must leave free).
// A label also grows in height around its vertical centre to the height of its text.
void fitCaption(QWidget* control, int rightLimit);

} // namespace shell
