#pragma once

#include <string>

class StartPageStore;

// Reads the current start page into page. A key that does not open leaves page unchanged;
// a missing or empty value makes it empty; only the text before an embedded NUL counts.
// Throws StartPageError "Failed to get data for 'start page'" or
// "Invalid data type for 'start page'".
void ReadStartPage(StartPageStore &store, std::u16string &page);

// Stores address as the start page, creating the key when missing.
// Throws StartPageError "Failed to set data for 'Start Page'".
void WriteStartPage(StartPageStore &store, const std::u16string &address);

// The exit step once the option is known to be on: writes address only when the current start
// page differs from it in any code unit (case, a trailing "/" and spaces all count), so that a
// page the user already has is never rewritten. Returns true when it wrote.
bool setStartPageUnlessCurrent(StartPageStore &store, const std::u16string &address);
