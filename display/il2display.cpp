#include "display/il2display.h"

#include <cstdio>
#include <cstring>

#include "display/flight_values.h"
#include "display/units.h"
#include "platform/utf8.h"

namespace {

constexpr int32_t kLinesPerPage = 3;
constexpr char kNoTextYet[] = "***";

}  // namespace

IL2Display::IL2Display(const std::vector<TemplateToken>& tokens)
    : numLignes(kLinesPerPage), numPages(0), tokens_(tokens) {
    for (TemplateToken& token : tokens_) {
        token.unitCode =
            token.unit[0] == '\0' ? nativeUnit(token.valueName) : unitCodeOf(token.unit);
    }
    for (TemplateToken& token : tokens_) {
        if (token.suffix[0] == '\0' && token.autoSuffix) {
            // Labels are at most four characters, far below the suffix's capacity.
            std::strcpy(token.suffix, unitLabel(token.unitCode));
        }
    }
    resolved_.reserve(tokens_.size());
    for (const TemplateToken& token : tokens_) {
        resolved_.push_back(resolve(token));
    }

    const size_t tokenCount = tokens_.size();
    numPages = static_cast<int32_t>(tokenCount / kLinesPerPage +
                                    (tokenCount % kLinesPerPage != 0 ? 1 : 0));
    LineBuffer placeholder{};
    std::memcpy(placeholder.data(), kNoTextYet, sizeof kNoTextYet);
    lines_.assign(static_cast<size_t>(numPages) * kLinesPerPage, placeholder);
}

IL2Display::ResolvedLine IL2Display::resolve(const TemplateToken& token) {
    ResolvedLine line{};
    const bool hasSuffix = token.suffix[0] != '\0';
    const FlightValue* value = flightValueNamed(token.valueName);
    line.valueUnit = value != nullptr ? value->unit : kUnitUnknown;
    line.writtenLength = static_cast<int32_t>(sizeof kNoTextYet - 1);
    if (value != nullptr && isText(*value)) {
        // The name is shown without the suffix, whatever the configuration gives.
        line.showsPlane = true;
        line.format = "%s %s";
    } else if (value != nullptr && value->decimals > 0) {
        line.field = value->field;
        // The number of decimals belongs to the value, not to its unit.
        if (value->decimals == 1) {
            line.format = hasSuffix ? "%s %.1f %s" : "%s %.1f";
        } else {
            line.format = hasSuffix ? "%s %.2f %s" : "%s %.2f";
        }
    } else {
        // An unknown value name shows no value, but keeps both separating spaces.
        line.format = hasSuffix ? "%s  %s" : "%s ";
    }
    return line;
}

void IL2Display::refresh(const IL2Data& data) {
    for (size_t k = 0; k < tokens_.size(); ++k) {
        const TemplateToken& token = tokens_[k];
        ResolvedLine& line = resolved_[k];
        char* text = lines_[k].data();

        int written;
        if (line.showsPlane) {
            written = std::snprintf(text, kLineCapacity, line.format, token.prefix, data.plane);
        } else if (line.field != nullptr) {
            const float value = convertUnit(data.*line.field, line.valueUnit, token.unitCode);
            written = std::snprintf(text, kLineCapacity, line.format, token.prefix,
                                    static_cast<double>(value), token.suffix);
        } else {
            written = std::snprintf(text, kLineCapacity, line.format, token.prefix, token.suffix);
        }

        // A text too long for the buffer has been cut to its first 1023 bytes; the line ends
        // before a character that the cut split.
        int32_t stored = written < 0 ? 0 : written;
        int32_t length = stored;
        if (stored > kLineCapacity - 1) {
            stored = kLineCapacity - 1;
            length =
                static_cast<int32_t>(platform::wholeUtf8Length(text, static_cast<size_t>(stored)));
        }
        // Clear what is left of the previous, longer text and of a split character, so that
        // the buffer reads as if it had been zeroed before writing, without clearing all of it
        // on every refresh.
        const int32_t dirty = line.writtenLength > stored ? line.writtenLength : stored;
        text[length] = '\0';
        if (dirty > length) {
            std::memset(text + length, 0, static_cast<size_t>(dirty - length));
        }
        line.writtenLength = length;
    }
}

const char* IL2Display::lineText(int32_t page, int32_t row) const {
    if (page < 0 || page >= numPages || row < 0 || row >= numLignes) {
        return nullptr;
    }
    return lines_[static_cast<size_t>(page) * kLinesPerPage + static_cast<size_t>(row)].data();
}
