#include "platform/code_page.h"

namespace platform {

// Latin-1 maps each byte to the code point of the same value.
wchar_t codePageChar(unsigned char byte) {
    return static_cast<wchar_t>(byte);
}

}  // namespace platform
