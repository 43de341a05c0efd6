// Sound in the browser: the sound bank's player over the page's Web Audio, and the tune.
#pragma once

// Starts the tune once from its beginning, as the view starts; before the first click or key
// the browser allows no sound, so it then starts at that gesture.
void StartMusic();

// Stops the tune; harmless when none plays.
void StopMusic();
