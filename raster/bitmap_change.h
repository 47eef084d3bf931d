#pragma once
// A change of a bitmap made of several steps, reported to its watchers once.
#include "bitmap32.h"

// Runs Work inside BeginUpdate/EndUpdate of B and reports the change once, also when Work
// throws (the exception goes on after the report).
template <class TWork>
void ChangeAtOnce(TBitmap32& B, TWork&& Work) {
  B.BeginUpdate();
  try {
    Work();
  } catch (...) {
    B.EndUpdate();
    B.Changed();
    throw;
  }
  B.EndUpdate();
  B.Changed();
}
