#pragma once

// The gain of a fade from `startVolume` to `endVolume` over `duration`
// seconds, `elapsed` seconds in, along a raised cosine (slow at both ends):
//   v = e + (s - e) * (0.5 + 0.5 * cos(pi * min(t, d) / d))
// computed in single precision. A duration that is not above 0 gives the end
// volume; a negative elapsed time counts as 0.
float computeFade(float startVolume, float endVolume, double duration, double elapsed);
