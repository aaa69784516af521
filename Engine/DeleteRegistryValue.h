#pragma once
#include <string>

// Deletes the value that a value finding names: root name, "\", key path,
// the separator byte, value name. An empty name or "(Default)" in any letter
// case stands for the unnamed value. 1 when the key could be opened (whatever
// became of the value), 0 when the text names no value or the key does not
// open.
int DeleteRegistryValue(std::string text);
