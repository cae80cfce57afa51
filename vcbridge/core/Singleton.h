#pragma once
#include <boost/shared_ptr.hpp>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace vcb {

inline constexpr const char* kSingletonAlreadyCreated = "インスタンスはすでに作成されている。";
inline constexpr const char* kSingletonNotCreated = "インスタンスは作成されてない。";

// Process-wide single instance of T, owned by a shared pointer so that a
// thread holding get()'s result keeps the object alive during shutdown.
template <class T>
class Singleton {
 public:
  template <class... Args>
  static boost::shared_ptr<T> create(Args&&... args) {
    std::lock_guard<std::recursive_mutex> g(lock());
    if (instance_) throw std::logic_error(kSingletonAlreadyCreated);
    boost::shared_ptr<T> p(new T(std::forward<Args>(args)...), [](T* t) { delete t; });
    instance_ = p;
    return p;
  }

  static boost::shared_ptr<T> get() {
    std::lock_guard<std::recursive_mutex> g(lock());
    if (!instance_) throw std::logic_error(kSingletonNotCreated);
    return instance_;
  }

  static bool exists() {
    std::lock_guard<std::recursive_mutex> g(lock());
    return static_cast<bool>(instance_);
  }

  static void destroy() {
    boost::shared_ptr<T> last;
    {
      std::lock_guard<std::recursive_mutex> g(lock());
      last.swap(instance_);
    }
    // The instance dies here, outside the lock: its destructor may join
    // threads that still call get().
  }

 protected:
  Singleton() {
    std::lock_guard<std::recursive_mutex> g(lock());
    if (created_) throw std::logic_error(kSingletonAlreadyCreated);
    created_ = true;
  }
  ~Singleton() {
    std::lock_guard<std::recursive_mutex> g(lock());
    created_ = false;
  }
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

 private:
  static std::recursive_mutex& lock() {
    static std::recursive_mutex m;
    return m;
  }
  static inline bool created_ = false;
  static inline boost::shared_ptr<T> instance_;
};

}  // namespace vcb
