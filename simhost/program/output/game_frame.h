#pragma once

#include "simhost/services/canvas.h"

namespace simhost {

// A stand-in game frame: sky over pitch, with a score and clock panel at the top centre, where
// the cover goes. No pixel of it is pure black, so the cover cannot be mistaken for the scene.
void paintGameFrame(Canvas& canvas);

}  // namespace simhost
