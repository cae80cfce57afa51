#pragma once

namespace tolv {

// Strings of the record files without the UTF-16 marker are read in the system code page.
void useSystemCodePage();

}  // namespace tolv
