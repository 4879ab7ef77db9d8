// The filter choice: the session learns the colour the next render uses.

#include "velmor/workflow/commands.h"

namespace workflow {

void chooseFilter(Session& session, engine::ColorValue colour)
{
    session.filterChosen(colour);
}

} // namespace workflow
