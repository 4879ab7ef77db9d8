#pragma once
// The user's three commands on a picture: open a source (Browse), look at the filtered picture
// (Preview) and write it to a file (Create). Each reports its failures to the user itself and
// leaves the window as it was before the command, apart from what the user asked for.

#include "velmor/workflow/window.h"

namespace workflow {

void cmdBrws_Click(Window& window);
// Browse after its dialog: opens the picture at path as the new source, or tells the user why not
// and leaves the previous source as it was.
void openPicture(Window& window, const QString& path);
void cmdPrev_Click(Window& window);
void cmdMake_Click(Window& window);

} // namespace workflow
