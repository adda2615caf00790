#include "korlink_binder/fill_str.h"

#include "korlink_binder/korlink_binder.h"

namespace trelm {

std::string fill_str(PortHandle port) {
    std::string text;
    // A negative count (a closed port, an unbound library) ends the loop as
    // an empty queue does; so does a failing c_getc, which takes no byte.
    while (korlink::c_rxcount(port) > 0) {
        const std::int16_t byte = korlink::c_getc(port);
        if (byte < 0)
            break;
        text.push_back(static_cast<char>(byte & 0xFF));
    }
    return text;
}

} // namespace trelm
