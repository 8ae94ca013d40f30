// Fuzz target: one datagram from the network, as the main loop hands it to the
// flight data record. Whatever the bytes, the record must stay usable: the
// aircraft name terminated within its buffer and made of the answer's bytes
// alone (unescaped, converted to UTF-8, cut between two characters), at most one field
// changed, and nothing changed at all by an answer without a known code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/flight_values.h"
#include "display/framing.h"
#include "display/il2data.h"
#include "platform/utf8.h"

namespace {

// The receive buffer's capacity: no datagram that reaches the parser is longer.
constexpr size_t kLongestAnswer = 1024;

// Fields are compared bit for bit, so that a NaN that stayed a NaN counts as unchanged.
int changedFields(const IL2Data& before, const IL2Data& after) {
    int changed = std::strcmp(before.plane, after.plane) != 0 ? 1 : 0;
    const float* first = &before.speedometer_indicated;
    const float* second = &after.speedometer_indicated;
    const size_t count =
        static_cast<size_t>(&before.rudderTrim - &before.speedometer_indicated) + 1;
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(first + i, second + i, sizeof(float)) != 0) {
            ++changed;
        }
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kLongestAnswer) {
        return -1;  // not a datagram the program can receive; keep it out of the corpus
    }
    const char* answer = reinterpret_cast<const char*>(data);
    IL2Data il2d;
    // The longest name a previous answer can leave, which the next one must replace whole.
    std::memset(il2d.plane, 'x', IL2Data::kPlaneCapacity - 1);
    il2d.plane[IL2Data::kPlaneCapacity - 1] = '\0';
    const IL2Data before = il2d;

    il2d.parseAnswer(answer, static_cast<int32_t>(size));

    if (std::memchr(il2d.plane, '\0', IL2Data::kPlaneCapacity) == nullptr) {
        std::abort();  // the name is no longer terminated within its buffer
    }
    const FlightValue* value = answeredValue(answer, static_cast<int32_t>(size));
    if (value != nullptr && isText(*value)) {
        // The new name is the answer's bytes after the separator, up to a NUL,
        // as UTF-8: whole, or its longest beginning that fits and splits no
        // character.
        const std::string whole = aircraftName(answer + kValueOffset, size - kValueOffset);
        const size_t kept = std::strlen(il2d.plane);
        const size_t room = IL2Data::kPlaneCapacity - 1;
        const size_t expected =
            whole.size() <= room ? whole.size() : platform::wholeUtf8Length(whole.data(), room);
        if (kept != expected || whole.compare(0, kept, il2d.plane) != 0) {
            std::abort();
        }
    }
    const int changed = changedFields(before, il2d);
    if (changed > 1 || (changed == 1 && value == nullptr)) {
        std::abort();
    }
    return 0;
}
