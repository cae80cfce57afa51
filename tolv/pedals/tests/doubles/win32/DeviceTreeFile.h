#pragma once
// The device tree that the cfgmgr32 and setupapi doubles serve, read from the
// file named by TOLV_PEDAL_DEVICE_TREE. One entry per line:
//   node <depth> <class|-> <instance id>   a device node; depth 0 is the root
//   usb <node index> <interface path>      a USB device interface of that node
//   hid <node index> <interface path>      a HID interface of that node
// Node indexes count node lines from 0; a DEVINST is the index plus one.
// The file is read afresh by every call that starts a walk or a listing, so
// a test attaches a device by rewriting it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace pedal_double {

struct Node {
  std::wstring id;
  bool hasClass = false;
  long parent = -1, child = -1, sibling = -1;
};

struct Interface {
  bool hid = false;
  long node = -1;
  std::wstring path;
};

struct Tree {
  std::vector<Node> nodes;
  std::vector<Interface> interfaces;
};

inline std::wstring Widen(const std::string& s) {
  std::wstring w;
  for (unsigned char c : s) w.push_back(static_cast<wchar_t>(c));
  return w;
}

inline Tree LoadTree() {
  Tree tree;
  wchar_t file[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"TOLV_PEDAL_DEVICE_TREE", file, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return tree;
  FILE* f = _wfopen(file, L"rb");
  if (!f) return tree;
  std::vector<long> lastAtDepth;
  char line[2048];
  while (std::fgets(line, sizeof line, f)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    char kind[8] = {};
    long number = 0;
    int used = 0;
    if (std::sscanf(s.c_str(), "%7s %ld %n", kind, &number, &used) < 2) continue;
    std::string rest = s.substr(static_cast<std::size_t>(used));
    if (std::string(kind) == "node") {
      const std::size_t space = rest.find(' ');
      if (space == std::string::npos || number < 0) continue;
      Node node;
      node.hasClass = rest.substr(0, space) == "class";
      node.id = Widen(rest.substr(space + 1));
      const long at = static_cast<long>(tree.nodes.size());
      const std::size_t depth = static_cast<std::size_t>(number);
      if (depth > lastAtDepth.size()) continue;  // skips a level: malformed
      if (depth > 0) {
        node.parent = lastAtDepth[depth - 1];
        Node& parent = tree.nodes[static_cast<std::size_t>(node.parent)];
        if (parent.child < 0) {
          parent.child = at;
        } else {
          long c = parent.child;
          while (tree.nodes[static_cast<std::size_t>(c)].sibling >= 0) c = tree.nodes[static_cast<std::size_t>(c)].sibling;
          tree.nodes[static_cast<std::size_t>(c)].sibling = at;
        }
      } else if (!tree.nodes.empty()) {
        continue;  // one root only
      }
      lastAtDepth.resize(depth);
      lastAtDepth.push_back(at);
      tree.nodes.push_back(node);
    } else if (std::string(kind) == "usb" || std::string(kind) == "hid") {
      tree.interfaces.push_back({std::string(kind) == "hid", number, Widen(rest)});
    }
  }
  std::fclose(f);
  return tree;
}

}  // namespace pedal_double
