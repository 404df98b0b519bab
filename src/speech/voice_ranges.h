// The range and default of a voice profile's rate and volume, as the sliders offer
// them and the settings file starts them.
#pragma once

namespace parlowen::speech {

inline constexpr int kMinRate = -10, kMaxRate = 10, kDefaultRate = 0;
inline constexpr int kMinVolume = 0, kMaxVolume = 100, kDefaultVolume = 100;

}  // namespace parlowen::speech
