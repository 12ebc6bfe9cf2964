// Every exported function runs its body through Guarded or GuardedVoid: an
// exception (above all an allocation that failed) must not cross the C
// interface, so it ends the call with the function's failure result instead.
// The failure result is false, a null pointer or 0 as the function documents
// for a call that could not be carried out.
#pragma once

namespace tesmira {

template <class R, class Body>
R Guarded(R failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <class Body>
void GuardedVoid(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace tesmira
