#pragma once
// The selection frame: a dashed outline with eight handles that moves and resizes its child.
#include <cstdint>
#include <functional>

#include "custom_layer.h"

// Which parts of the frame react and which handles are drawn.
using TRBHandles = uint8_t;
constexpr TRBHandles rhCenter = 1 << 0;  // the move area
constexpr TRBHandles rhSides = 1 << 1;
constexpr TRBHandles rhCorners = 1 << 2;

enum TDragState : uint8_t {
  DragNone = 0,
  DragMove = 1,
  DragLeft = 2,
  DragTop = 3,
  DragRight = 4,
  DragBottom = 5,
  DragTopLeft = 6,
  DragTopRight = 7,
  DragBottomLeft = 8,
  DragBottomRight = 9,
};

// May correct NewLocation during a drag.
using TRBResizingEvent =
    std::function<void(TObject* Sender, const TSingleRect& OldLocation, TSingleRect& NewLocation,
                       TDragState DragState, TShiftState Shift)>;

class TRubberbandLayer : public TPositionedLayer {
 public:
  explicit TRubberbandLayer(TLayerCollection* Collection);
  ~TRubberbandLayer() override;

  TCustomLayer* Clone(TLayerCollection* Collection) const override;

  TPositionedLayer* ChildLayer() const { return FChildLayer; }
  // Takes L's location and scaling and follows it; while it has a child the frame's own
  // changes notify nobody.
  void SetChildLayer(TPositionedLayer* L);
  void UpdateChildLayer();

  TDragState GetDragState(int32_t X, int32_t Y);
  bool HitTest(int32_t X, int32_t Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void Notification(TCustomLayer* L) override;
  void Paint(TBitmap32& Buffer) override;
  virtual void DoResizing(const TSingleRect& OldLocation, TSingleRect& NewLocation,
                          TDragState DragState, TShiftState Shift);

  TRBHandles Handles = rhCenter | rhSides | rhCorners;
  int32_t HandleSize = 3;
  float MinWidth = 10;
  float MaxHeight = 0;
  float MinHeight = 10;
  float MaxWidth = 0;
  TNotifyEvent OnUserChange;
  TRBResizingEvent OnResizing;

  bool IsDragging() const { return FIsDragging; }
  TDragState DragState() const { return FDragState; }
  const TSingleRect& OldLocation() const { return FOldLocation; }

 protected:
  void DoSetLocation(const TSingleRect& Value) override;

 private:
  void UpdateNoUpdateFlag();

  TPositionedLayer* FChildLayer = nullptr;
  bool FIsDragging = false;
  TDragState FDragState = DragNone;
  TSingleRect FOldLocation;
  TSinglePoint FMouseShift;
};
