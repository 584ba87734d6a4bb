#pragma once
// How the substitute platform exposes its functions to the binding loader.
//
// A real DLL export is called with its arguments on the stack; the substitute's entries take the argument words as
// an array instead, so that a caller can never call one with the wrong number of arguments undetected: an entry
// that receives another count than its function takes calls nothing and reports the stack as unbalanced, just as
// the x86-32 stdcall check does for a real export.
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "runtime/word.h"

namespace deskflip::substitute {

using NativeEntry = Word (*)(const Word* arguments, std::size_t count, bool* balanced);

namespace detail {

template <class T>
T fromWord(Word word) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(word);
  } else {
    return static_cast<T>(word);
  }
}

template <class T>
Word toWord(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<Word>(value);
  } else if constexpr (std::is_signed_v<T>) {
    return static_cast<Word>(static_cast<std::intptr_t>(value));
  } else {
    return static_cast<Word>(value);
  }
}

template <class Signature>
struct EntryTraits;

template <class Result, class... Params>
struct EntryTraits<Result (*)(Params...)> {
  static constexpr std::size_t arity = sizeof...(Params);

  template <auto Function, std::size_t... I>
  static Word call(const Word* arguments, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<Result>) {
      Function(fromWord<Params>(arguments[I])...);
      return 0;
    } else {
      return toWord(Function(fromWord<Params>(arguments[I])...));
    }
  }
};

}  // namespace detail

// The entry of one substitute function, with the arity check described above.
template <auto Function>
Word entry(const Word* arguments, std::size_t count, bool* balanced) {
  using Traits = detail::EntryTraits<decltype(Function)>;
  if (count != Traits::arity) {
    *balanced = false;
    return 0;
  }
  *balanced = true;
  return Traits::template call<Function>(arguments, std::make_index_sequence<Traits::arity>{});
}

struct SubstituteFunction {
  const char* name;
  NativeEntry entry;
};

}  // namespace deskflip::substitute
