// A method reference: an object and one of its member functions, called like
// a function and compared by both parts, so that a registered handler can be
// found again (SameMethod). It does not own the object. Copyable; any thread
// may call it if the method allows that.
#pragma once

#include <cstring>

template <class... Args>
class TMethod {
public:
  TMethod() = default;
  template <class T>
  TMethod(T* object, void (T::*method)(Args...)) {
    Bind<T>(object, method);
  }
  template <class T>
  TMethod(const T* object, void (T::*method)(Args...) const) {
    Bind<const T>(object, method);
  }

  explicit operator bool() const { return call_ != nullptr; }
  void operator()(Args... args) const { call_(object_, code_, args...); }

  // Equal when both the code and the object parts are equal.
  friend bool SameMethod(const TMethod& a, const TMethod& b) {
    return a.object_ == b.object_ && a.call_ == b.call_ &&
           std::memcmp(a.code_, b.code_, sizeof(code_)) == 0;
  }

private:
  using Caller = void (*)(const void* object, const unsigned char* code, Args... args);

  template <class T, class M>
  void Bind(T* object, M method) {
    static_assert(sizeof(M) <= sizeof(code_));
    object_ = object;
    std::memcpy(code_, &method, sizeof(M));
    call_ = &Call<T, M>;
  }

  template <class T, class M>
  static void Call(const void* object, const unsigned char* code, Args... args) {
    M method;
    std::memcpy(&method, code, sizeof(M));
    (const_cast<T*>(static_cast<const T*>(object))->*method)(args...);
  }

  const void* object_ = nullptr;
  Caller call_ = nullptr;
  unsigned char code_[2 * sizeof(void*)] = {};
};
