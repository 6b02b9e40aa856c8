#pragma once

// Deletes every process-wide object that exists, in the order the
// application's exit handler needs: the two input objects, the rule, the
// tree renderer, the remote-command facade, the OSC listener (whose
// transport is closed first) and the scene windows last. Creates none that
// was never used. The OpenGL contexts must be released beforehand (the
// views' destruction does it); nothing here touches a window or a context.
// Tests call it for a clean state between cases.
void DeleteSingletons();
