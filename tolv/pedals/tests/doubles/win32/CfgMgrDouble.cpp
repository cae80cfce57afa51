// cfgmgr32.dll double for the Wine suites (WINEDLLOVERRIDES "cfgmgr32=n,b"):
// a machine connection holds a snapshot of the test's device tree.
#define _CFGMGR32_
#include <windows.h>
#include <cfgmgr32.h>

#include <cstring>

#include "tolv/pedals/tests/doubles/win32/DeviceTreeFile.h"

using pedal_double::Tree;

namespace {

const pedal_double::Node* NodeOf(const Tree& tree, DEVINST d) {
  if (d == 0 || d > tree.nodes.size()) return nullptr;
  return &tree.nodes[d - 1];
}

CONFIGRET CopyId(const Tree& tree, DEVINST d, PWSTR buffer, ULONG length) {
  const pedal_double::Node* node = NodeOf(tree, d);
  if (!node) return CR_INVALID_DEVNODE;
  if (!buffer || length == 0) return CR_INVALID_POINTER;
  if (node->id.size() >= length) return CR_BUFFER_SMALL;
  std::memcpy(buffer, node->id.c_str(), (node->id.size() + 1) * sizeof(wchar_t));
  return CR_SUCCESS;
}

Tree* Snapshot(HMACHINE m) { return reinterpret_cast<Tree*>(m); }

}  // namespace

extern "C" {

CONFIGRET WINAPI CM_Connect_MachineW(PCWSTR name, PHMACHINE machine) {
  if (!machine) return CR_INVALID_POINTER;
  // Only the local machine, by its UNC name.
  if (!name || name[0] != L'\\' || name[1] != L'\\') return CR_MACHINE_UNAVAILABLE;
  *machine = reinterpret_cast<HMACHINE>(new Tree(pedal_double::LoadTree()));
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Disconnect_Machine(HMACHINE machine) {
  delete Snapshot(machine);
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Locate_DevNode_ExW(PDEVINST node, DEVINSTID_W id, ULONG, HMACHINE machine) {
  if (!node || !machine) return CR_INVALID_POINTER;
  if (id && id[0]) return CR_NO_SUCH_DEVNODE;
  if (Snapshot(machine)->nodes.empty()) return CR_NO_SUCH_DEVNODE;
  *node = 1;
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_Child_Ex(PDEVINST child, DEVINST node, ULONG, HMACHINE machine) {
  if (!child || !machine) return CR_INVALID_POINTER;
  const pedal_double::Node* n = NodeOf(*Snapshot(machine), node);
  if (!n) return CR_INVALID_DEVNODE;
  if (n->child < 0) return CR_NO_SUCH_DEVNODE;
  *child = static_cast<DEVINST>(n->child + 1);
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_Sibling_Ex(PDEVINST sibling, DEVINST node, ULONG, HMACHINE machine) {
  if (!sibling || !machine) return CR_INVALID_POINTER;
  const pedal_double::Node* n = NodeOf(*Snapshot(machine), node);
  if (!n) return CR_INVALID_DEVNODE;
  if (n->sibling < 0) return CR_NO_SUCH_DEVNODE;
  *sibling = static_cast<DEVINST>(n->sibling + 1);
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_DevNode_Registry_Property_ExW(DEVINST node, ULONG property, PULONG type, PVOID buffer,
                                                      PULONG length, ULONG, HMACHINE machine) {
  if (!machine || !length) return CR_INVALID_POINTER;
  const pedal_double::Node* n = NodeOf(*Snapshot(machine), node);
  if (!n) return CR_INVALID_DEVNODE;
  if (property != CM_DRP_CLASSGUID || !n->hasClass) return CR_NO_SUCH_VALUE;
  static const wchar_t guid[] = L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}";
  if (type) *type = REG_SZ;
  if (!buffer || *length < sizeof guid) {
    *length = sizeof guid;
    return CR_BUFFER_SMALL;
  }
  std::memcpy(buffer, guid, sizeof guid);
  *length = sizeof guid;
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_Device_ID_ExW(DEVINST node, PWSTR buffer, ULONG length, ULONG, HMACHINE machine) {
  if (!machine) return CR_INVALID_POINTER;
  return CopyId(*Snapshot(machine), node, buffer, length);
}

// The setupapi double hands out the same node numbers.
CONFIGRET WINAPI CM_Get_Device_IDW(DEVINST node, PWSTR buffer, ULONG length, ULONG) {
  return CopyId(pedal_double::LoadTree(), node, buffer, length);
}

}  // extern "C"
