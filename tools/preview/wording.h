#pragma once

#include <string>
#include <vector>

// Small helpers that keep the preview's messages readable in a terminal and in
// a pasted bug report.

// `text` in double quotes, with every control character written out (\t, \n,
// \r, \xNN), so that blanks and tabs at its ends can be seen.
std::string quoted(const std::string& text);

// The candidate that `given` most likely means, or "" when none stands out:
// one that differs only in letter case or in blanks around it, else the one
// candidate that starts with it (three letters at least), else the one
// nearest candidate within two typing slips of it, letter case aside.
std::string likelyName(const std::string& given, const std::vector<std::string>& candidates);

// "a, b, c".
std::string joined(const std::vector<std::string>& names);
