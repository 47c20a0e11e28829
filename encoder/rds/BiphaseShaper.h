#pragma once

namespace orvane {

// The shaped waveform of one biphase data symbol (IEC 62106): a positive impulse a quarter bit
// into the bit period and a negative one three quarters in, each through the transmit filter
// cos(pi f td / 4) for |f| < 2/td, zero above (td = 1/1187.5 s). With the same filter in the
// receiver the pair gives an overall raised-cosine response, free of intersymbol interference.
//
// The waveform at `bits` bit periods after the start of the symbol's own period (negative:
// before it). The filter's response falls off with the square of time, so a few bit periods
// either side hold all that matters.
[[nodiscard]] double biphaseSymbolAt(double bits);

}  // namespace orvane
