// The standard-call twins of the colour engine's exports, made from the one
// export list. They exist only in the Windows library, where the
// module-definition file exports them under their decorated names only
// (they are not marked for export themselves, which would add their
// undecorated names too).
#include "k7730fe_cmm.h"

#if defined(_WIN32)
extern "C" {

#define K7730_DEFINE_TWIN(name, member, twinBytes, result, parameters, arguments) \
  result K7730_STDCALL name##_ parameters { return name arguments; }
K7730_CMM_EXPORTS(K7730_DEFINE_TWIN)
#undef K7730_DEFINE_TWIN

}  // extern "C"

// The decorated names in the export table must state what each twin pops.
#if defined(__i386__)
#include <cstddef>

namespace {

// The bytes a standard-call function pops on 32-bit Windows: each argument
// takes a whole number of 4-byte stack slots.
template <typename Result, typename... Arguments>
constexpr std::size_t StackBytes(Result(K7730_STDCALL*)(Arguments...)) {
  return (((sizeof(Arguments) + 3) / 4 * 4) + ... + 0);
}

}  // namespace

#define K7730_CHECK_TWIN_BYTES(name, member, twinBytes, result, parameters, arguments) \
  static_assert(StackBytes(&name##_) == twinBytes, #name "_: argument bytes differ from the list");
K7730_CMM_EXPORTS(K7730_CHECK_TWIN_BYTES)
#undef K7730_CHECK_TWIN_BYTES
#endif

#endif
