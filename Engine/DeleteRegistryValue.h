#pragma once
#include <string>

// Deletes the value that a value finding names: root name, "\", key path,
// the separator byte, value name. An empty name or "(Default)" in any letter
// case stands for the unnamed value ("(Default)" empties it when there is no
// value of that name). 1 only when the value was deleted (or emptied); 0 when
// the text names no value, the key does not open, the value is not there or
// its delete is refused.
int DeleteRegistryValue(std::string text);

// Whether a finding text has the value form: a root name, "\", a key path and
// the separator.
bool NamesRegistryValue(const std::string& text);
