#pragma once

#include <vector>

namespace orvane {

// The shaped waveform of one biphase data symbol (IEC 62106): a positive impulse a quarter bit
// into the bit period and a negative one three quarters in, each through the transmit filter
// cos(pi f td / 4) for |f| < 2/td, zero above (td = 1/1187.5 s). With the same filter in the
// receiver the pair gives an overall raised-cosine response, free of intersymbol interference.
//
// The filter's response falls off with the square of time, so `spanBits` bit periods either side
// hold all that matters: the waveform is returned for t from -spanBits to spanBits+1 bit periods
// after the start of its own period, `samplesPerBit` samples a bit period, sample i at time
// i / samplesPerBit bit periods from the start of that range.
[[nodiscard]] std::vector<double> biphaseSymbol(int samplesPerBit, int spanBits);

}  // namespace orvane
