#include "tools/preview/wording.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Levenshtein distance; the names compared are a few dozen characters long.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The one candidate for which `matches` holds, or "" when none or several do.
template <typename Predicate>
std::string onlyMatch(const std::vector<std::string>& candidates, Predicate matches) {
    std::string found;
    for (const std::string& candidate : candidates) {
        if (matches(lowered(candidate))) {
            if (!found.empty()) {
                return "";
            }
            found = candidate;
        }
    }
    return found;
}

// The one candidate nearest to `key` when it is at most two slips away and
// those slips change less than half of it; "" when none is, or several are.
std::string closest(const std::vector<std::string>& candidates, const std::string& key) {
    std::string found;
    size_t best = 3;
    bool tied = false;
    for (const std::string& candidate : candidates) {
        size_t distance = editDistance(lowered(candidate), key);
        if (distance * 2 >= candidate.size()) {
            continue;
        }
        if (distance < best) {
            best = distance;
            found = candidate;
            tied = false;
        } else if (distance == best) {
            tied = true;
        }
    }
    return tied ? "" : found;
}

}  // namespace

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string likelyName(const std::string& given, const std::vector<std::string>& candidates) {
    const std::string key = lowered(trimmed(given));
    if (key.empty()) {
        return "";
    }
    std::string found =
        onlyMatch(candidates, [&](const std::string& candidate) { return candidate == key; });
    if (found.empty() && key.size() >= 3) {
        found = onlyMatch(candidates, [&](const std::string& candidate) {
            return candidate.compare(0, key.size(), key) == 0;
        });
    }
    if (found.empty()) {
        found = closest(candidates, key);
    }
    return found;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        out += (out.empty() ? "" : ", ") + name;
    }
    return out;
}
