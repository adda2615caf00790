// The arguments of one receive, from freceive to the end of the receive.
#pragma once

#include "korlink.h"

#include <cstdint>

namespace korlink {

struct TransferState {
    int32_t bufferSize = 0;
    int16_t protocol = 0;
    StatusCallback callback = nullptr;
};

}  // namespace korlink
