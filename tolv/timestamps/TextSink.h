#pragma once
#include <string>

namespace tolv {

// Where timestamps and snippets go: typed into the foreground application as one
// complete string. Runs on the user-interface thread; failures stay inside.
class ITextSink {
 public:
  virtual ~ITextSink() = default;
  virtual void InsertText(const std::wstring& text) = 0;
};

}  // namespace tolv
