#pragma once
// The vector instruction sets the processor offers, probed once. Only x86 has vector forms;
// elsewhere every routine runs its scalar form.
//
// PELMORA_X86 is defined where the x86 intrinsics may be compiled; the forms themselves are
// chosen at run time.
#if defined(__x86_64__) || defined(__i386__)
#define PELMORA_X86 1
#endif

// Which set of forms a routine runs.
enum class TBlendForms { Scalar, SSE2, AVX2 };

// True when the processor executes the forms (always for Scalar).
bool CpuSupports(TBlendForms Forms);
// The widest forms the processor executes.
TBlendForms BestCpuForms();
