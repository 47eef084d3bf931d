#pragma once
// Layers of the stack: the base layer and the positioned layer with a floating rectangle.
#include <cstdint>
#include <functional>
#include <vector>

#include "input.h"
#include "layer_collection.h"
#include "thread_persistent.h"
#include "types.h"

class TBitmap32;

// Mouse handlers receive the sender, the button (presses and releases), the shift state and
// the control coordinates.
using TLayerMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                            int32_t X, int32_t Y)>;
using TLayerMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TPaintLayerEvent = std::function<void(TObject* Sender, TBitmap32* Buffer)>;

// Buttons held down on a layer while it is the mouse listener.
constexpr uint32_t LayerStateLeft = 1 << 0;
constexpr uint32_t LayerStateRight = 1 << 1;
constexpr uint32_t LayerStateMiddle = 1 << 2;
constexpr uint32_t LayerStateButtons = LayerStateLeft | LayerStateRight | LayerStateMiddle;

// The base of every layer. A layer joins its collection (on top) when constructed and leaves
// it when destroyed; the collection owns it. Destroy layers with Free() (or through their
// collection), so that OnDestroy and the notifications see the complete object.
class TCustomLayer : public TObject {
 public:
  explicit TCustomLayer(TLayerCollection* Collection);
  ~TCustomLayer() override;
  TCustomLayer(const TCustomLayer&) = delete;
  TCustomLayer& operator=(const TCustomLayer&) = delete;

  // Runs OnDestroy, tells the watching layers, leaves the collection, then deletes the layer.
  void Free();

  // A new layer of the same class in Collection (on top), with this layer's properties.
  virtual TCustomLayer* Clone(TLayerCollection* Collection) const;
  virtual void Assign(const TCustomLayer& Source);

  int32_t Index() const;
  virtual void SetIndex(int32_t I);
  // The layer's identity for the run, unique among all layers made (a clone gets its own); the
  // undo history finds a layer by it whatever its stack position. SetId gives a layer made anew
  // the identity of the one it stands for.
  uint64_t Id() const { return FId; }
  void SetId(uint64_t Id) { FId = Id; }
  void BringToFront();
  void SendToBack();

  TLayerCollection* LayerCollection() const { return FLayerCollection; }
  void SetLayerCollection(TLayerCollection* C);

  TLayerOptions LayerOptions() const { return FLayerOptions; }
  void SetLayerOptions(TLayerOptions V);
  bool Visible() const { return (FLayerOptions & LayerVisible) != 0; }
  void SetVisible(bool V);
  bool MouseEvents() const { return (FLayerOptions & LayerMouseEvents) != 0; }
  void SetMouseEvents(bool V);
  uint32_t LayerStates() const { return FLayerStates; }

  // Tells the collection (and so the view) about a change that is about to happen / happened.
  void Changing();
  void Changed();

  // Layers told (through Notification) when this one is destroyed.
  void AddNotification(TCustomLayer* L);
  void RemoveNotification(TCustomLayer* L);

  virtual bool HitTest(int32_t X, int32_t Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void Notification(TCustomLayer* L);
  virtual void Paint(TBitmap32& Buffer);
  // Drawing straight onto the control's surface after every paint, for LayerOverlay layers.
  virtual void PaintOverlay(TBitmap32& Surface);
  // Paint, then OnPaint.
  void DoPaint(TBitmap32& Buffer);

  TCursor Cursor = crDefault;
  int32_t Tag = 0;
  TLayerMouseEvent OnMouseDown;
  TLayerMouseMoveEvent OnMouseMove;
  TLayerMouseEvent OnMouseUp;
  TPaintLayerEvent OnPaint;
  TNotifyEvent OnDestroy;

 protected:
  void SetScreenCursor(TCursor C) const;

  TLayerOptions FLayerOptions = LayerVisible;

 private:
  friend class TLayerCollection;
  void BeforeDestruction();

  std::vector<TCustomLayer*> FNotifyList;  // layers told of this one's destruction; not owned
  TLayerCollection* FLayerCollection = nullptr;
  uint32_t FLayerStates = 0;
  uint64_t FId = 0;
  bool FDestroying = false;
};

// A layer with a floating rectangle: in control pixels, or in the owner's bitmap pixels when
// Scaled (it then follows zoom and scrolling).
class TPositionedLayer : public TCustomLayer {
 public:
  explicit TPositionedLayer(TLayerCollection* Collection);

  TCustomLayer* Clone(TLayerCollection* Collection) const override;
  void Assign(const TCustomLayer& Source) override;

  const TSingleRect& Location() const { return FLocation; }
  // Changing, DoSetLocation, Changed.
  void SetLocation(const TSingleRect& Value);
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value);
  // Location in control pixels.
  TSingleRect GetAdjustedLocation() const;
  bool HitTest(int32_t X, int32_t Y) override;
  // Change handler for owned bitmaps.
  void Update() { Changed(); }

 protected:
  // Stores the rectangle; a rubberband also moves its child.
  virtual void DoSetLocation(const TSingleRect& Value);

  TSingleRect FLocation = {0, 0, 64, 64};
  bool FScaled = false;
};
