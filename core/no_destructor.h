// NoDestructor<T>: a T that is built where it is declared and never destroyed. For module-lifetime
// objects that must outlive every static destructor and every exit-list action that may still use
// them (an out-of-memory report made while the module unloads, a teardown that resets a holder).
// As a function-local static it is built on first use, once, and its storage is static:
//   Holder& holder() {
//     static NoDestructor<Holder> holder;
//     return *holder;
//   }
// What T owns is never released by it; an object that holds a reference drops it from the exit
// list (registerTeardown) instead.
#ifndef ORN_CORE_NO_DESTRUCTOR_H_
#define ORN_CORE_NO_DESTRUCTOR_H_

#include <new>
#include <utility>

template <class T>
class NoDestructor {
 public:
  template <class... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }
  T& operator*() { return *get(); }
  T* operator->() { return get(); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

#endif  // ORN_CORE_NO_DESTRUCTOR_H_
