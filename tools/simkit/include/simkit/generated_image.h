// A whole memory image made from a seed: several events of one model (the
// seed's parity picks it: even five-channel, odd eight-channel), each with
// its own configuration and log, one log wrapping round the end of the ring.
// The sampler simulator serves it and the tests check what arrives.
#pragma once

#include "simkit/image_builder.h"

namespace simkit {

struct GeneratedImage {
    ImageBuilder image;
    int events = 0;  // slots 1..events hold an event
};

// `unitId` other than 0 replaces the unit ID the seed gives, so several
// simulated stations can share a seed's events yet write different files.
GeneratedImage generatedImage(unsigned seed, std::int16_t unitId = 0);

}  // namespace simkit
