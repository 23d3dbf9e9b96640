#pragma once
// Text conversions between the dialog window's open-file request/result and
// the forms the platform's open-file dialog takes and gives. Portable, so
// that the rules are tested on the host.

#include "platform/fixed_text.h"

// The filter list the dialog takes: the filter text with every '|' turned
// into a NUL, ending in two NULs. "Firmware File (bin)" (one description,
// no pattern) becomes "Firmware File (bin)\0\0"; "Bin|*.bin||" becomes
// "Bin\0*.bin\0\0". A filter too long for `list` is cut, still ending in
// two NULs.
void FilterListFromText(const char* filterText, TextBuffer& list);

// The extension of the file a path names: the text after the last dot of
// its file name, without the dot (a pointer into `path`); empty when the
// name has no dot. Dots in directory names do not count.
const char* FileNameExtension(const char* path);
