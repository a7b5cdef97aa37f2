// A unit of work created on the heap and handed to a thread holder or to the
// UI-thread dispatcher, which runs it and then calls release().
#pragma once
#include <utility>

class Runable {
 public:
  // Destroys the object; releasing null is allowed (Runable::release(nullptr)).
  virtual void release() { delete this; }
  static void release(Runable* runnable) {
    if (runnable) runnable->release();
  }
  virtual ~Runable() = default;
  virtual void run() = 0;
};

// Runs a callable of no arguments held by value (a lambda and its captures).
template <typename F>
class FunctionRunable : public Runable {
 public:
  explicit FunctionRunable(F function) : function_(std::move(function)) {}
  void run() override { function_(); }

 private:
  F function_;
};

template <typename F>
Runable* makeRunable(F function) {
  return new FunctionRunable<F>(std::move(function));
}

// Runs a member function of no arguments on an object it does not own.
template <typename T>
class MemberFuncRunable : public Runable {
 public:
  using Method = void (T::*)();
  MemberFuncRunable(T* object, Method method) : object_(object), method_(method) {}
  void run() override { (object_->*method_)(); }

 private:
  T* object_;
  Method method_;
};
