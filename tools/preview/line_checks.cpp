#include "tools/preview/line_checks.h"

#include <cstring>
#include <iterator>

#include "display/flight_values.h"
#include "display/il2display.h"
#include "display/units.h"
#include "tools/preview/wording.h"

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& candidate : names) {
        if (candidate == name) {
            return true;
        }
    }
    return false;
}

// The value text that the program shows for `valueName` in `unit`, made by
// the program's own display model, so that the failure value is written with
// the value's own number of decimals.
std::string shownValue(const char* valueName, const char* unit) {
    IL2Display display({TemplateToken(valueName, "", unit, "")});
    display.refresh(IL2Data());
    std::string text = display.lineText(0, 0);
    // " value" or " value suffix": the prefix is empty.
    text.erase(0, 1);
    return text.substr(0, text.find(' '));
}

void checkValueName(const std::string& name, int32_t line, Findings* findings) {
    if (name.empty()) {
        findings->push_back({line, "<line> has no value name: it shows only its prefix"});
        return;
    }
    const FlightValue* value = flightValueNamed(name.c_str());
    if (value != nullptr && !isShown(*value)) {
        findings->push_back({line, "value " + quoted(name) +
                                       " comes from the simulator but cannot be shown: "
                                       "the line shows no value"});
        return;
    }
    std::string message = "unknown value name " + quoted(name) + ": the line shows no value; ";
    std::string likely = likelyName(name, displayableNames());
    if (!likely.empty()) {
        message += "did you mean " + quoted(likely) + "? (names match exactly, letter case";
        message += " and blanks included)";
    } else {
        message += "value names are " + joined(displayableNames());
    }
    findings->push_back({line, message});
}

void checkUnit(const TemplateToken& token, int32_t line, Findings* findings) {
    const UnitCode native = nativeUnit(token.valueName);
    const UnitCode code = unitCodeOf(token.unit);
    const std::string unit = token.unit;
    if (code == kUnitUnknown) {
        std::string message = "unknown unit " + quoted(unit) + ": ";
        if (native == kUnitNone) {
            message += "the value shows without a unit label; ";
        } else {
            message += "the line would show " + shownValue(token.valueName, token.unit) + "; ";
        }
        std::string likely = likelyName(unit, unitTexts());
        message += likely.empty() ? "units are " + joined(unitTexts())
                                  : "did you mean " + quoted(likely) + "?";
        findings->push_back({line, message});
        return;
    }
    if (contains(reachableUnits(token.valueName), unit)) {
        return;
    }
    findings->push_back(
        {line, std::string(token.valueName) + " cannot be shown in " + quoted(unit) +
                   ": the line would show " + shownValue(token.valueName, token.unit) +
                   "; it can be shown in " + joined(reachableUnits(token.valueName))});
}

}  // namespace

const std::vector<std::string>& displayableNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> shown;
        for (const FlightValue& value : kFlightValues) {
            if (isShown(value)) {
                shown.emplace_back(value.name);
            }
        }
        return shown;
    }();
    return names;
}

const std::vector<std::string>& unitTexts() {
    static const std::vector<std::string> texts(std::begin(kUnitTexts), std::end(kUnitTexts));
    return texts;
}

std::vector<std::string> reachableUnits(const std::string& valueName) {
    const UnitCode native = nativeUnit(valueName.c_str());
    if (native == kUnitNone) {
        return unitTexts();
    }
    std::vector<std::string> units;
    if (native == kUnitUnknown) {
        return units;
    }
    for (UnitCode code = kUnitNone; code < kUnitTextCount; ++code) {
        // No conversion that exists turns 1 into -1.
        if (code == native || convertUnit(1.0f, native, code) != -1.0f) {
            units.push_back(unitTexts()[static_cast<size_t>(code)]);
        }
    }
    return units;
}

void checkLine(const TemplateToken& token, int32_t line, Findings* findings) {
    const FlightValue* value = flightValueNamed(token.valueName);
    if (value != nullptr && isText(*value)) {
        if (token.unit[0] != '\0') {
            findings->push_back({line, "a " + quoted(value->name) +
                                           " line shows the aircraft's name: its unit " +
                                           quoted(token.unit) + " is not used"});
        }
        if (token.suffix[0] != '\0') {
            findings->push_back({line, "a " + quoted(value->name) +
                                           " line never shows its suffix " + quoted(token.suffix)});
        }
        return;
    }
    if (value == nullptr || !isShown(*value)) {
        checkValueName(token.valueName, line, findings);
        return;
    }
    if (token.unit[0] != '\0') {
        checkUnit(token, line, findings);
    }
}
