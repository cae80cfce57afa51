#pragma once
#include <string>

namespace tolv {

enum class MessageBoxKind {
  YesNo,        // a question with Yes and No buttons
  Information,  // OK button, information icon
};

enum class MessageBoxAnswer { Ok, Yes, No };

// Modal message boxes of the player. Blocks until the user answers.
class IMessageBoxPort {
 public:
  virtual ~IMessageBoxPort() = default;
  virtual MessageBoxAnswer Show(const std::wstring& text, MessageBoxKind kind) = 0;
};

}  // namespace tolv
