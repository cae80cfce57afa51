#pragma once
#include <string>
#include <vector>

#include "tolv/timestamps/TextSink.h"

namespace tolv::testing {

// Keeps every text it is given, in order.
class FakeTextSink : public ITextSink {
 public:
  std::vector<std::wstring> typed;
  void InsertText(const std::wstring& text) override { typed.push_back(text); }
};

}  // namespace tolv::testing
