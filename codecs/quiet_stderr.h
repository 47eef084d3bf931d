#pragma once
// The decoders under libheif (dav1d for AVIF, libde265 for HEIC) write their own diagnostics
// for a damaged file straight to the standard error stream, and libheif offers no option to
// turn them off. While a TQuietStderr lives, standard error (descriptor 2) leads to /dev/null,
// so a damaged picture gives only the program's own message. Scopes on several threads share
// one redirection, which ends with the last of them. Whatever another thread writes to standard
// error meanwhile is lost as well, so a scope covers only the library calls.
class TQuietStderr {
 public:
  TQuietStderr();
  ~TQuietStderr();
  TQuietStderr(const TQuietStderr&) = delete;
  TQuietStderr& operator=(const TQuietStderr&) = delete;
};
