#include "thumb_layout.h"

#include <algorithm>
#include <cmath>

// The percentages are computed in extended precision, as the sizes of the picker's cells and
// pictures have always been: truncation then lands on the same side of a whole number.
using TReal = long double;

namespace {

int32_t Trunc(TReal V) {
  if (!(V > -2147483648.0L && V < 2147483648.0L))
    return V > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int32_t>(V);
}

int32_t CeilDiv(int32_t A, int32_t B) {
  return static_cast<int32_t>(std::ceil(static_cast<TReal>(A) / B));
}

}  // namespace

TSize ThumbCellSize(int32_t MaxWidth, int32_t MaxHeight, int32_t Size) {
  return {Trunc(TReal(MaxWidth) / 100 * Size), Trunc(TReal(MaxHeight) / 100 * Size)};
}

int32_t ThumbsPerLine(TScrollMode Mode, int32_t ViewWidth, int32_t ViewHeight, int32_t Gap,
                      TSize Cell) {
  const int32_t Step = Mode == SMHorizontal ? Gap + Cell.cy : Gap + Cell.cx;
  const int32_t Room = (Mode == SMHorizontal ? ViewHeight : ViewWidth) - ThumbScrollBarRoom;
  if (Step <= 0)
    return 1;
  return std::max(1, Room / Step);
}

TSize ThumbCellFillingWidth(TScrollMode Mode, int32_t ViewWidth, int32_t Gap, TSize Cell,
                            int32_t PerLine) {
  if (Mode != SMVertical || PerLine < 1)
    return Cell;
  const int32_t Room = ViewWidth - ThumbScrollBarRoom - Gap * PerLine;
  Cell.cx = std::max(Cell.cx, Room / PerLine);
  return Cell;
}

TSize ReducedPictureSize(int32_t Width, int32_t Height, int32_t MaxWidth, int32_t MaxHeight) {
  const TReal PW = Width > 0 ? TReal(MaxWidth) / Width * 100 : 0;
  const TReal PH = Height > 0 ? TReal(MaxHeight) / Height * 100 : 0;
  const auto P = static_cast<float>(std::min(PW, PH));
  return {Trunc(TReal(Width) / 100 * P), Trunc(TReal(Height) / 100 * P)};
}

bool KeepsPictureSize(int32_t Width, int32_t Height, TSize Reduced) {
  return Width < Reduced.cx && Height < Reduced.cy;
}

TRect FitThumbPicture(TSize Cell, TSize Picture, TTitlePlacement Title, int32_t TitleHeight) {
  // A strip taller than one line takes its extra height from the cell's end it lies on; the
  // picture is fitted into the rest as into a cell with a one-line strip.
  const int32_t Extra = Title == T_None ? 0 : std::max(0, TitleHeight - ThumbTitleHeight);
  const int32_t CellH = Cell.cy - Extra;
  const int32_t AreaW = Cell.cx - 8;
  const int32_t AreaH = CellH - ThumbTitleHeight - 8;
  const int32_t W = Picture.cx, H = Picture.cy;
  int32_t P = 100;
  if (W > AreaW || H > AreaH) {
    const TReal PW = W > 0 ? TReal(AreaW) / W * 100 : 0;
    const TReal PH = H > 0 ? TReal(AreaH) / H * 100 : 0;
    P = Trunc(std::min(PW, PH));
  }
  // A cell smaller than its margins has no room for a picture at all.
  const int32_t Width = std::max(0, Trunc(TReal(W) / 100 * P));
  const int32_t Height = std::max(0, Trunc(TReal(P) * H / 100));
  const int32_t Left = Trunc(TReal(Cell.cx) / 2 - TReal(Width) / 2);
  int32_t Top = CellH / 2 - Height / 2;
  if (Title == T_Up)
    Top += 7 + Extra;
  else if (Title == T_Down)
    Top -= 7;
  return {Left, Top, Left + Width, Top + Height};
}

TRect ThumbTitleRect(TSize Cell, TTitlePlacement Title, int32_t TitleHeight) {
  switch (Title) {
    case T_Up:
      return {0, 0, Cell.cx, std::min(Cell.cy, TitleHeight)};
    case T_Down:
      return {0, std::max(0, Cell.cy - TitleHeight), Cell.cx, Cell.cy};
    case T_None:
      break;
  }
  return {};
}

TSize ThumbCellWithTitle(TSize Cell, TTitlePlacement Title, int32_t TitleHeight) {
  if (Title == T_None)
    return Cell;
  const int32_t Extra =
      std::clamp(TitleHeight, ThumbTitleHeight, ThumbTitleHeightMax) - ThumbTitleHeight;
  return {Cell.cx, Cell.cy + Extra};
}

TRect PlaceThumbCell(int32_t Index, TScrollMode Mode, int32_t Gap, TSize Cell, int32_t PerLine) {
  const int32_t N = Index + 1;
  const int32_t K = std::max(1, PerLine);
  int32_t C, R;
  if (Mode == SMHorizontal) {
    C = CeilDiv(N, K);
    R = N - (C - 1) * K;
  } else {
    R = CeilDiv(N, K);
    C = N - (R - 1) * K;
  }
  const int32_t Left = (C - 1) * Cell.cx + Gap * C;
  const int32_t Top = (R - 1) * Cell.cy + Gap * R;
  return {Left, Top, Left + Cell.cx, Top + Cell.cy};
}

int32_t ThumbHitTest(int32_t X, int32_t Y, int32_t ScrollX, int32_t ScrollY, int32_t Count,
                     TScrollMode Mode, int32_t Gap, TSize Cell, int32_t PerLine) {
  if (Count <= 0 || Gap + Cell.cx <= 0 || Gap + Cell.cy <= 0)
    return -1;
  const int32_t K = std::max(1, PerLine);
  const int32_t C = CeilDiv(X + ScrollX, Gap + Cell.cx);
  const int32_t R = CeilDiv(Y + ScrollY, Gap + Cell.cy);
  const int32_t Index = Mode == SMHorizontal ? std::min(K, R) + K * std::max(C - 1, 0) - 1
                                             : std::min(K, C) + K * std::max(R - 1, 0) - 1;
  if (Index < 0 || Index >= Count)
    return -1;
  const TRect Rc = PlaceThumbCell(Index, Mode, Gap, Cell, K);
  const int32_t CX = X + ScrollX, CY = Y + ScrollY;
  if (CX > Rc.Left && CX < Rc.Right && CY > Rc.Top && CY < Rc.Bottom)
    return Index;
  return -1;
}

int32_t ScrollThumbIntoView(int32_t Start, int32_t Length, int32_t Position, int32_t Visible,
                            int32_t MaxPosition) {
  const auto Clamp = [MaxPosition](int32_t P) {
    return std::clamp(P, 0, std::max(0, MaxPosition));
  };
  int32_t VisStart = Start - Position;
  if (VisStart < 0) {
    Position = Clamp(Position + VisStart - Length / 2);
    VisStart = Start - Position;
  }
  const int32_t VisEnd = VisStart + Length;
  if (VisEnd > Visible)
    Position = Clamp(VisEnd + Length / 2 + Position - Visible);
  return Position;
}

int32_t ThumbKeyTarget(TThumbKey Key, int32_t Selected, int32_t Count, TScrollMode Mode,
                       int32_t PerLine) {
  const int32_t K = std::max(1, PerLine);
  const int32_t Along = Mode == SMHorizontal ? 1 : K;   // Up and Down
  const int32_t Across = Mode == SMHorizontal ? K : 1;  // Left and Right
  int32_t Target = Selected;
  switch (Key) {
    case tkHome:
      Target = 0;
      break;
    case tkEnd:
      Target = Count - 1;
      break;
    case tkUp:
      Target = Selected - Along;
      break;
    case tkDown:
      Target = Selected + Along;
      break;
    case tkLeft:
      Target = Selected - Across;
      break;
    case tkRight:
      Target = Selected + Across;
      break;
  }
  return Target >= 0 && Target < Count ? Target : Selected;
}
