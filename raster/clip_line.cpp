#include "clip_line.h"

#include "color32.h"

namespace {

// Bit 0: left of the window, bit 1: right of it, bit 2: above, bit 3: below.
constexpr int32_t CodeLeft = 1;
constexpr int32_t CodeRight = 2;
constexpr int32_t CodeTop = 4;
constexpr int32_t CodeBottom = 8;

int32_t XCode(int32_t X, int32_t MinX, int32_t MaxX) {
  return X < MinX ? CodeLeft : (X > MaxX ? CodeRight : 0);
}

int32_t YCode(int32_t Y, int32_t MinY, int32_t MaxY) {
  return Y < MinY ? CodeTop : (Y > MaxY ? CodeBottom : 0);
}

// Two's complement wrap-around, as 32-bit integer arithmetic without overflow checks gives.
int32_t Sub(int32_t A, int32_t B) {
  return static_cast<int32_t>(static_cast<uint32_t>(A) - static_cast<uint32_t>(B));
}
int32_t Add(int32_t A, int32_t B) {
  return static_cast<int32_t>(static_cast<uint32_t>(A) + static_cast<uint32_t>(B));
}

}  // namespace

bool ClipLine(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2, int32_t MinX, int32_t MinY,
              int32_t MaxX, int32_t MaxY) {
  int32_t C1 = XCode(X1, MinX, MaxX) | YCode(Y1, MinY, MaxY);
  int32_t C2 = XCode(X2, MinX, MaxX) | YCode(Y2, MinY, MaxY);
  if ((C1 & C2) != 0)
    return false;
  if (C1 == 0 && C2 == 0)
    return true;

  // First onto the horizontal edges; the codes then only tell the side left or right.
  if ((C1 & (CodeTop | CodeBottom)) != 0) {
    const int32_t Edge = (C1 & CodeBottom) != 0 ? MaxY : MinY;
    X1 = Add(X1, MulDivRound(Sub(Edge, Y1), Sub(X2, X1), Sub(Y2, Y1)));
    Y1 = Edge;
    C1 = XCode(X1, MinX, MaxX);
  }
  if ((C2 & (CodeTop | CodeBottom)) != 0) {
    const int32_t Edge = (C2 & CodeBottom) != 0 ? MaxY : MinY;
    X2 = Add(X2, MulDivRound(Sub(Edge, Y2), Sub(X2, X1), Sub(Y2, Y1)));
    Y2 = Edge;
    C2 = XCode(X2, MinX, MaxX);
  }
  if ((C1 & C2) != 0 || (C1 == 0 && C2 == 0))
    return C1 == 0 && C2 == 0;

  // Then onto the vertical edges.
  if (C1 != 0) {
    const int32_t Edge = C1 == CodeLeft ? MinX : MaxX;
    Y1 = Add(Y1, MulDivRound(Sub(Edge, X1), Sub(Y2, Y1), Sub(X2, X1)));
    X1 = Edge;
  }
  if (C2 != 0) {
    const int32_t Edge = C2 == CodeLeft ? MinX : MaxX;
    Y2 = Add(Y2, MulDivRound(Sub(Edge, X2), Sub(Y2, Y1), Sub(X2, X1)));
    X2 = Edge;
  }
  return true;
}
