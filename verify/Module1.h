// Module1.h
// verify's entry: refuses a second copy, then shows the splash window and
// runs the message loop until the last window has gone.
#pragma once

namespace Module1 {

inline constexpr const char* kInstanceMutexName = "Local\\Tamberly.Pellanor.Verify.Instance";

int Main();

} // namespace Module1
