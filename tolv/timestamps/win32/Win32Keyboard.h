#pragma once
#include "tolv/timestamps/TextPorts.h"

namespace tolv {

// Keyboard events synthesised into the system's input stream.
class Win32Keyboard : public IKeyboardPort {
 public:
  unsigned SendInput(const std::vector<SyntheticKeyEvent>& events) override;
};

}  // namespace tolv
