#pragma once
// Text conversions between the GUI contract's open-file request/result and
// the forms the platform's open-file dialog takes and gives. Portable, so
// that the rules are tested on the host.

#include <string>

// The filter list the dialog takes: the filter text with every '|' turned
// into a NUL, ending in two NULs. "Firmware File (bin)" (one description,
// no pattern) becomes "Firmware File (bin)\0\0"; "Bin|*.bin||" becomes
// "Bin\0*.bin\0\0".
std::string FilterListFromText(const std::string& filterText);

// The extension of the file a path names: the text after the last dot of
// its file name, without the dot; empty when the name has no dot. Dots in
// directory names do not count.
std::string FileNameExtension(const std::string& path);
