#pragma once

#include <cstdint>
#include <string>

// A configuration file as the preview holds it: the whole text, and the part of
// it that the program reads.
struct ConfigSource {
    std::string bytes;  // the whole file, read in text mode as the program reads it
    // What the program hands to its parser: the first kConfigReadLimit bytes,
    // final only when its one read met the end of the file, which a file of
    // exactly kConfigReadLimit bytes does not.
    int32_t programLength() const;
    int32_t programIsFinal() const;
};

// Reads the whole file at `path` (UTF-8). On failure returns false and says why in *error.
bool readConfigSource(const std::string& path, ConfigSource* source, std::string* error);

// The 1-based line and column of byte `offset` of `text` (a column counts bytes).
struct TextPosition {
    int32_t line;
    int32_t column;
};
TextPosition positionOf(const std::string& text, size_t offset);
