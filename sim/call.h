// One call of the library: it takes the simulator's lock, readies the model, counts the call,
// applies requested faults, checks the out-pointers, runs the function's body, lets requested
// misbehaviours change what it wrote, saves the model and traces the call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "sim/faults.h"
#include "sim/model.h"

namespace swkv::sim {

class Simulator;

struct Context {
  Simulator& sim;
  Model& model;
  Controller* controller;  // the controller the call acts on; null where none exists
  int index;               // its index, or -1
  const FaultEffect& effect;
  int64_t now;  // model time
};

class Call {
 public:
  using Body = std::function<int32_t(Context&)>;

  Call(Fn fn, std::string args) : m_fn(fn), m_args(std::move(args)) {}

  // The values the call writes, in the order of its parameters: each must be non-null, and the
  // misbehaviour SIM_MISBEHAVE_OUTPUT counts them in this order.
  template <typename... T>
  Call& Outputs(T*... outputs) {
    (m_outputs.emplace_back(outputs), ...);
    return *this;
  }
  // The call names its controller itself (a controller index, a bay's device number) instead of
  // acting on the open one; a controller must still be open.
  Call& On(int index) {
    m_target = Target::Named;
    m_index = index;
    return *this;
  }
  // raInitialize and raTerminate: no controller need be open. kOpenOne: the one that is open.
  static constexpr int kOpenOne = -2;
  Call& Selecting(int index) {
    m_target = Target::Selection;
    m_index = index;
    return *this;
  }

  int32_t Run(const Body& body);

 private:
  enum class Target { Open, Named, Selection };
  // A char is the first byte of a text the call writes.
  using Output = std::variant<int32_t*, uint32_t*, uint16_t*, char*>;

  void Override(const FaultEffect& effect);
  static void Put(const Output& output, int64_t value);
  std::string Written() const;

  Fn m_fn;
  std::string m_args;
  Target m_target = Target::Open;
  int m_index = -1;
  std::vector<Output> m_outputs;
};

// Argument texts for the trace.
std::string Args();
template <typename T, typename... Rest>
std::string Args(const T& first, const Rest&... rest) {
  std::string text;
  if constexpr (std::is_pointer_v<T>) {
    text = first ? "&" : "null";
  } else {
    text = std::to_string(first);
  }
  if constexpr (sizeof...(rest) > 0) {
    text += ", ";
    text += Args(rest...);
  }
  return text;
}
std::string Quoted(const char* text);
// "[1 2 3]" for n numbers (at most 8 shown); "null" for none.
template <typename T>
std::string List(const T* items, std::size_t n) {
  if (!items) return "null";
  std::string text = "[";
  for (std::size_t i = 0; i < n && i < 8; ++i) {
    if (i) text += " ";
    text += std::to_string(items[i]);
  }
  text += "]";
  return text;
}

}  // namespace swkv::sim
