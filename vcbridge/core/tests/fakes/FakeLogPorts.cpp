#include "vcbridge/core/tests/fakes/FakeLogPorts.h"

#include <algorithm>

namespace vcb::testing {

using log::ReadResult;

void FakeSettingsStore::setString(const std::wstring& key, const std::wstring& name,
                                  const std::wstring& value) {
  std::lock_guard<std::mutex> g(lock_);
  keys_[key][name] = Value{Value::String, value, 0};
}

void FakeSettingsStore::setNumber(const std::wstring& key, const std::wstring& name,
                                  uint32_t value) {
  std::lock_guard<std::mutex> g(lock_);
  keys_[key][name] = Value{Value::Number, {}, value};
}

void FakeSettingsStore::setBinary(const std::wstring& key, const std::wstring& name) {
  std::lock_guard<std::mutex> g(lock_);
  keys_[key][name] = Value{Value::Binary, {}, 0};
}

void FakeSettingsStore::removeKey(const std::wstring& key) {
  std::lock_guard<std::mutex> g(lock_);
  keys_.erase(key);
}

int FakeSettingsStore::reads() {
  std::lock_guard<std::mutex> g(lock_);
  return reads_;
}

const FakeSettingsStore::Value* FakeSettingsStore::find(const std::wstring& key,
                                                        const std::wstring& name) {
  ++reads_;
  auto k = keys_.find(key);
  if (k == keys_.end()) return nullptr;
  auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

ReadResult FakeSettingsStore::readString(const std::wstring& key, const std::wstring& name,
                                         std::wstring* out) {
  std::lock_guard<std::mutex> g(lock_);
  const Value* v = find(key, name);
  if (!v) return ReadResult::Missing;
  if (v->type != Value::String) return ReadResult::WrongType;
  *out = v->text;
  return ReadResult::Ok;
}

ReadResult FakeSettingsStore::readNumber(const std::wstring& key, const std::wstring& name,
                                         uint32_t* out) {
  std::lock_guard<std::mutex> g(lock_);
  const Value* v = find(key, name);
  if (!v) return ReadResult::Missing;
  if (v->type != Value::Number) return ReadResult::WrongType;
  *out = v->number;
  return ReadResult::Ok;
}

std::wstring FakeFileSystem::normal(std::wstring path) {
  while (path.size() > 1 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring FakeFileSystem::parentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void FakeFileSystem::addFolder(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  for (std::wstring p = normal(path); !p.empty(); p = parentOf(p)) folders_.insert(p);
}

void FakeFileSystem::refuseFolder(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  refused_.insert(normal(path));
}

bool FakeFileSystem::hasFolder(const std::wstring& path) { return folderExists(path); }

bool FakeFileSystem::hasFile(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  return files_.count(path) != 0;
}

std::string FakeFileSystem::content(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  auto f = files_.find(path);
  return f == files_.end() ? std::string() : f->second;
}

std::vector<std::wstring> FakeFileSystem::files() {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<std::wstring> names;
  for (auto& f : files_) names.push_back(f.first);
  return names;
}

int FakeFileSystem::opens() {
  std::lock_guard<std::mutex> g(lock_);
  return opens_;
}

int FakeFileSystem::openHandles() {
  std::lock_guard<std::mutex> g(lock_);
  return static_cast<int>(handles_.size());
}

int FakeFileSystem::badCloses() {
  std::lock_guard<std::mutex> g(lock_);
  return badCloses_;
}

size_t FakeFileSystem::largestWrite() {
  std::lock_guard<std::mutex> g(lock_);
  return largestWrite_;
}

bool FakeFileSystem::folderExists(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  return folders_.count(normal(path)) != 0;
}

bool FakeFileSystem::createFolder(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  std::wstring p = normal(path);
  if (p.empty() || folders_.count(p) || refused_.count(p) || !folders_.count(parentOf(p)))
    return false;
  folders_.insert(p);
  return true;
}

std::wstring FakeFileSystem::documentsFolder() { return documents_; }

Handle FakeFileSystem::openForAppend(const std::wstring& path) {
  std::lock_guard<std::mutex> g(lock_);
  if (failOpens_ || !folders_.count(parentOf(path)) || folders_.count(path)) return nullptr;
  ++opens_;
  files_[path];  // created if missing
  Handle h = reinterpret_cast<Handle>(nextHandle_++);
  handles_[h] = path;
  return h;
}

bool FakeFileSystem::append(Handle file, const char* data, size_t size) {
  std::lock_guard<std::mutex> g(lock_);
  auto h = handles_.find(file);
  if (h == handles_.end()) return false;
  files_[h->second].append(data, size);
  largestWrite_ = std::max(largestWrite_, size);
  return true;
}

void FakeFileSystem::close(Handle file) {
  std::lock_guard<std::mutex> g(lock_);
  if (!handles_.erase(file)) ++badCloses_;
}

void FakeClock::setLocalTime(const log::LocalTime& t) {
  std::lock_guard<std::mutex> g(lock_);
  now_ = t;
}

log::LocalTime FakeClock::localTime() {
  ++localTimeReads_;
  std::lock_guard<std::mutex> g(lock_);
  return now_;
}

FakeLogPorts::FakeLogPorts() {
  files.addFolder(L"C:\\Users\\typist\\Documents");
  files.setDocuments(L"C:\\Users\\typist\\Documents");
  system.data.platformId = 2;
  system.data.major = 6;
  system.data.minor = 1;
  system.data.build = 7601;
  system.data.servicePack = "Service Pack 1";
  system.data.productType = log::kProductWorkstation;
  system.data.architecture = log::kArchitectureAmd64;
  system.data.hasProductInfo = true;
  system.data.productInfo = 48;
}

}  // namespace vcb::testing
