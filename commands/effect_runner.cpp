#include "effect_runner.h"

#include <utility>

namespace {

bool IsShellCall(const TCardCall& Call) {
  return Call.Command != nullptr && Call.Command->Format == efShell24;
}

}  // namespace

void RunEffectCalls(const std::vector<TCardCall>& Calls, const TEffectTarget& Target) {
  size_t I = 0;
  while (I < Calls.size()) {
    size_t End = I + 1;
    while (IsShellCall(Calls[I]) && End < Calls.size() && IsShellCall(Calls[End])) ++End;
    if (End - I == 1) {
      RunEffectCall(Calls[I], Target);
    } else {
      try {
        RunRgbShell(
            Target,
            [&](RgbImage& A, RgbImage& B) {
              for (size_t K = I; K < End; ++K) {
                const TCardCommand& C = *Calls[K].Command;
                if (C.OnImage != nullptr && C.OnImage(A, B, Calls[K].Values) == srSecond)
                  std::swap(A, B);
              }
              return srFirst;
            },
            false);
      } catch (...) {
        EmptyPreviewBackup();
        throw;
      }
    }
    I = End;
  }
  EmptyPreviewBackup();
}

void TEffectRunner::Apply(const std::vector<TCardCall>& Calls) {
  FHost.RecordLayerStep();
  RunEffectCalls(Calls, FHost.Target());
  FHost.Changed();
}

void TEffectRunner::Preview(const std::vector<TCardCall>& Calls) {
  const TEffectTarget T = FHost.Target();
  if (T.Bitmap == nullptr)
    return;
  FHost.ShowOnly([&] {
    RestorePreview(T);
    TBitmap32 Before;
    Before.Assign(T.Bitmap);
    try {
      RunEffectCalls(Calls, T);
    } catch (...) {
      PreviewBackup().SwapContents(Before);
      throw;
    }
    PreviewBackup().SwapContents(Before);
  });
}

void TEffectRunner::EndPreview() {
  if (PreviewBackup().IsEmpty())
    return;
  FHost.ShowOnly([&] {
    RestorePreview(FHost.Target());
    EmptyPreviewBackup();
  });
}

void TEffectRunner::BeginLive() {
  FHost.RecordLayerStep();
  FWorkingCopy = std::make_unique<TBitmap32>();
  if (TBitmap32* B = FHost.Target().Bitmap)
    FWorkingCopy->Assign(B);
}

void TEffectRunner::ShowLive(const std::vector<TCardCall>& Calls) {
  const TEffectTarget T = FHost.Target();
  if (T.Bitmap == nullptr)
    return;
  FHost.ShowOnly([&] {
    RestoreWorkingCopy();
    RunEffectCalls(Calls, T);
  });
}

void TEffectRunner::ResetLive() {
  FHost.ShowOnly([&] { RestoreWorkingCopy(); });
}

void TEffectRunner::EndLive(bool Accepted) {
  if (Accepted) {
    FHost.Changed();
  } else {
    ResetLive();
    FHost.DropUnchangedStep();
  }
  FWorkingCopy.reset();
}

void TEffectRunner::RestoreWorkingCopy() {
  TBitmap32* B = FHost.Target().Bitmap;
  if (B != nullptr && FWorkingCopy && !FWorkingCopy->IsEmpty())
    B->Assign(FWorkingCopy.get());
}
