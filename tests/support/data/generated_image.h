// The memory image made from a seed is the simulator's: the tests check what
// arrives against the same image.
#pragma once

#include "simkit/generated_image.h"
#include "test_data.h"

namespace testdata {
using simkit::GeneratedImage;
using simkit::generatedImage;
}  // namespace testdata
