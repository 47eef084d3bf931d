#include "status_progress.h"

TStatusProgress& TStatusProgress::Instance() {
  static TStatusProgress Progress;
  return Progress;
}

void TStatusProgress::Report(const void* Source, const QString& Text, int Done, int Total) {
  if (Done >= Total) {
    End(Source);
    return;
  }
  FWork[Source] = {std::max(Done, 0), Total};
  FText = Text;
  Notify();
}

void TStatusProgress::End(const void* Source) {
  if (FWork.erase(Source) == 0)
    return;
  if (FWork.empty())
    FText.clear();
  Notify();
}

int TStatusProgress::Done() const {
  int Sum = 0;
  for (const auto& W : FWork) Sum += W.second.Done;
  return Sum;
}

int TStatusProgress::Total() const {
  int Sum = 0;
  for (const auto& W : FWork) Sum += W.second.Total;
  return Sum;
}

void TStatusProgress::Notify() {
  emit Changed(FText, Done(), Total());
}
