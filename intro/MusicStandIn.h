// A hook for a program that runs the intro to record it (the capture tool):
// it renders the music itself, faster than real time, so the intro must not
// play it. While a stand-in is set, SaveDataToFile writes nothing (the
// payload files are not needed) and StartMusic binds no player and opens no
// sound output: it calls the stand-in instead, in the frame that would start
// the music, and gives its result. The intro itself never sets one.
#pragma once

#include <functional>

namespace corvane {

using MusicStandIn = std::function<bool()>;

// Sets the stand-in; an empty one gives the intro its own music back.
void SetMusicStandIn(MusicStandIn standIn);

}  // namespace corvane
