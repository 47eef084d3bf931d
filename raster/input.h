#pragma once
// Mouse buttons, modifier keys and cursor identifiers shared by the layers and the image controls.
#include <cstdint>

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Modifier keys and held buttons during a mouse or key event.
using TShiftState = uint32_t;
constexpr TShiftState ssShift = 1 << 0;
constexpr TShiftState ssAlt = 1 << 1;
constexpr TShiftState ssCtrl = 1 << 2;
constexpr TShiftState ssLeft = 1 << 3;
constexpr TShiftState ssRight = 1 << 4;
constexpr TShiftState ssMiddle = 1 << 5;
constexpr TShiftState ssDouble = 1 << 6;

// Cursor identifiers; the image control's host maps them onto the window system's shapes.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
