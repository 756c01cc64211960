#pragma once
// The screens' layout unit: sizes kept in twips (1/1440 inch), drawn at 15 twips per pixel.

namespace maj::app {

inline constexpr int kTwipsPerPixel = 15;

// The pixel count nearest to `twips`.
constexpr int TwipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

}  // namespace maj::app
