// Following the music while a score plays: each downbeat the engine reports shows
// its measure in the position readout and, with "FollowMusic", brings the measure
// into the playing view, makes it the view's current measure and frames it on the
// staves that are heard (the soloed ones when some are, else the unmuted ones).
// When the run ends the frame goes; with "IsAutoRewind" and "FollowMusic" the view
// returns to the measure the run started from.
#pragma once

namespace ql {

struct ScoreView;

// A run starts for the view: remembers where it starts.
void BeginFollowing(ScoreView* view);
// The downbeat of `measure` was played (0 and measures past the score are ignored).
void FollowDownbeat(ScoreView* view, int measure);
// A refill while neither "FollowMusic" nor "ShowPlaybackLoc" asks for the
// downbeats: the readout shows the measure the last downbeat started.
void ShowLastPlayedMeasure(ScoreView* view);
// The run ended: the frame goes, and the view rewinds unless the run recorded or
// was paused.
void EndFollowing(bool rewind);

}  // namespace ql
