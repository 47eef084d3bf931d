#include "undo.h"

#include <unordered_set>

#include "card_document.h"

namespace {

// More steps than this are not kept whatever the budget: each costs its list of layers.
constexpr size_t MaxSteps = 1000;

}  // namespace

const char* UndoStepName(TUndoStep Step) {
  switch (Step) {
    case usEffect:
      return "Эффект";
    case usImageSize:
      return "Размер изображения";
    case usCanvasCrop:
      return "Обрезка холста";
    case usRotation:
      return "Поворот";
    case usFlip:
      return "Отражение";
    case usMask:
      return "Маска";
    case usRemoveMask:
      return "Снятие маски";
    case usTransparentColour:
      return "Прозрачный цвет";
    case usFrame:
      return "Рамка";
    case usBackground:
      return "Фон";
    case usTexture:
      return "Текстура";
    case usReadyCard:
      return "Готовая открытка";
    case usPerspective:
      return "Перспектива";
    case usLayerCrop:
      return "Обрезка слоя";
    case usOutline:
      return "Контур";
    case usCut:
      return "Вырезание";
    case usPaste:
      return "Вставка";
    case usMoveLayer:
      return "Перемещение слоя";
    case usResizeLayer:
      return "Размер слоя";
    case usAddPhoto:
      return "Добавление фотографии";
    case usCaption:
      return "Надпись";
    case usDecoration:
      return "Украшение";
    case usGreeting:
      return "Поздравление";
    case usUnderlay:
      return "Подложка";
    case usDeleteLayer:
      return "Удаление слоя";
    case usCloneLayer:
      return "Копия слоя";
    case usLayerOrder:
      return "Порядок слоёв";
    case usFlatten:
      return "Склеивание слоёв";
    case usOpacity:
      return "Непрозрачность слоя";
    case usInterpolation:
      return "Интерполяция";
    case usLayerScale:
      return "Масштаб слоя";
    case usEditCaption:
      return "Изменение надписи";
  }
  return "";
}

TUndoStack::TUndoStack(TCardDocument& Doc) : FDoc(Doc) {}

void TUndoStack::Record(TUndoStep Step, const std::string& Name) {
  if (FGroupDepth > 0)
    return;
  TStep S;
  S.Kind = Step;
  S.Name = Name;
  S.Before = CaptureState(FDoc, FStore);
  FSteps.resize(size_t(FPos));
  if (FSaved > FPos)
    FSaved = -1;
  // The step before that changed nothing (a colour picked again, a dialog that put everything
  // back) is not kept.
  if (FPos > 0 && FSteps.back().Before == S.Before) {
    FSteps.pop_back();
    if (FSaved == FPos)
      FSaved = FPos - 1;
    --FPos;
  }
  FSteps.push_back(std::move(S));
  ++FPos;
  Trim();
}

void TUndoStack::DropIfUnchanged() {
  if (FPos == 0 || FPos != Count())
    return;
  if (CaptureState(FDoc, FStore) == FSteps.back().Before) {
    FSteps.pop_back();
    --FPos;
  }
}

void TUndoStack::Trim() {
  while (FSteps.size() > 1 && (FSteps.size() > MaxSteps || MemoryUse() > FBudget)) {
    FSteps.erase(FSteps.begin());
    --FPos;
    FSaved = FSaved > 0 ? FSaved - 1 : -1;
  }
}

void TUndoStack::SetBudget(uint64_t Bytes) {
  FBudget = Bytes;
  Trim();
}

uint64_t TUndoStack::MemoryUse() const {
  std::unordered_set<const TBitmap32*> Seen;
  uint64_t Bytes = 0;
  auto Count = [&](const TBitmap32* B) {
    if (B != nullptr && Seen.insert(B).second)
      Bytes += PixelBytes(*B);
  };
  auto CountState = [&](const TDocumentState& S) {
    Count(S.Canvas.get());
    for (const TLayerState& L : S.Layers) Count(L.Pixels.get());
  };
  for (const TStep& S : FSteps) {
    CountState(S.Before);
    CountState(S.After);
  }
  FStore.ForEach(Count);
  return Bytes;
}

bool TUndoStack::Undo() {
  if (!CanUndo())
    return false;
  TStep& S = FSteps[size_t(FPos - 1)];
  S.After = CaptureState(FDoc, FStore);
  --FPos;
  RestoreState(FDoc, S.Before, FStore, OnReleaseCapture);
  FDoc.Modified = !AtSavedPoint();
  return true;
}

bool TUndoStack::Redo() {
  if (!CanRedo())
    return false;
  TStep& S = FSteps[size_t(FPos)];
  S.Before = CaptureState(FDoc, FStore);
  ++FPos;
  RestoreState(FDoc, S.After, FStore, OnReleaseCapture);
  FDoc.Modified = !AtSavedPoint();
  return true;
}

std::string TUndoStack::NameOf(const TStep& S) {
  return S.Name.empty() ? UndoStepName(S.Kind) : S.Name;
}

std::string TUndoStack::UndoName() const {
  return CanUndo() ? NameOf(FSteps[size_t(FPos - 1)]) : "";
}

std::string TUndoStack::RedoName() const {
  return CanRedo() ? NameOf(FSteps[size_t(FPos)]) : "";
}

void TUndoStack::Reset() {
  FSteps.clear();
  FStore.Clear();
  FPos = 0;
  FSaved = 0;
  // The copies of the card are taken now, while a document opens, rather than at the first
  // press of a drag.
  CaptureState(FDoc, FStore);
}
