#pragma once
// The ordered stack of layers above an image control's bitmap, with mouse routing.
#include <cstdint>
#include <vector>

#include "input.h"
#include "thread_persistent.h"
#include "types.h"

class TCustomLayer;
class TBitmap32;

// Layer options: the low 27 bits carry no meaning.
using TLayerOptions = uint32_t;
constexpr TLayerOptions LayerVisible = 0x80000000;
constexpr TLayerOptions LayerOverlay = 0x40000000;
constexpr TLayerOptions LayerMouseEvents = 0x20000000;
constexpr TLayerOptions LayerNoUpdate = 0x10000000;
constexpr TLayerOptions LayerNoCapture = 0x08000000;

// Mapping from the owner's bitmap pixels to control pixels: x' = ScaleX * x / 65536 + ShiftX.
struct TCoordXForm {
  TFix16 ScaleX = 0x10000;
  TFix16 ScaleY = 0x10000;
  int32_t ShiftX = 0;
  int32_t ShiftY = 0;
};

// What a collection needs from the control that owns it.
class TLayerOwner {
 public:
  virtual ~TLayerOwner() = default;
  // Sets the screen cursor while the pointer is over the control.
  virtual void SetScreenCursor(TCursor Cursor) = 0;
  // The owner's own cursor, shown when the pointer is over no layer.
  virtual TCursor OwnerCursor() const { return crDefault; }
  // True for the image controls: cropped layers then clip to OwnerBitmapRect.
  virtual bool IsImageControl() const { return false; }
  // True while the owner paints into a bitmap other than its own buffer.
  virtual bool PaintingToForeignBitmap() const { return false; }
  // The rectangle the canvas bitmap occupies in the control, in control pixels.
  virtual TRect OwnerBitmapRect() const { return {}; }
};

class TLayerCollection : public TObject {
 public:
  explicit TLayerCollection(TLayerOwner* Owner = nullptr);
  ~TLayerCollection() override;
  TLayerCollection(const TLayerCollection&) = delete;
  TLayerCollection& operator=(const TLayerCollection&) = delete;

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // Raises EListError "List index out of bounds (I)" outside 0..Count-1.
  TCustomLayer* Items(int32_t I) const;

  // Constructs a layer of class T on top of the stack.
  template <class T>
  T* Add() {
    return new T(this);
  }
  // Used by TCustomLayer::SetLayerCollection only.
  void InsertItem(TCustomLayer* Layer);
  void RemoveItem(TCustomLayer* Layer);
  // Destroys the layers from the top down.
  void Clear();
  // Replaces the layers by copies of Source's (each layer class provides Clone).
  void Assign(const TLayerCollection& Source);

  void BeginUpdate();
  // Raises EListError "Unpaired EndUpdate" without a BeginUpdate; the count stays 0.
  void EndUpdate();
  int32_t UpdateCount() const { return FUpdateCount; }

  // The topmost layer whose options share a bit with Mask and whose HitTest is true.
  TCustomLayer* FindLayerAt(int32_t X, int32_t Y, TLayerOptions Mask) const;
  TCustomLayer* MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  TCustomLayer* MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  TCustomLayer* MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  TCustomLayer* MouseListener() const { return FMouseListener; }
  void SetMouseListener(TCustomLayer* Layer);

  TLayerOwner* GetOwner() const { return FOwner; }
  const TCoordXForm* CoordXForm() const { return FCoordXForm; }
  // The owner's map, kept by the owner; none means layers are placed in control pixels.
  void SetCoordXForm(const TCoordXForm* XForm) { FCoordXForm = XForm; }

  // Index of Layer in the stack, -1 when it is not there.
  int32_t IndexOf(const TCustomLayer* Layer) const;
  // Moves the layer at From to To (both valid indices).
  void Move(int32_t From, int32_t To);

  bool MouseEvents = true;
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;
  TNotifyEvent OnOverlayUpdate;

 private:
  friend class TCustomLayer;
  void NotifyChanging();
  void NotifyChanged();
  void NotifyOverlayUpdate();

  const TCoordXForm* FCoordXForm = nullptr;
  std::vector<TCustomLayer*> FItems;
  TCustomLayer* FMouseListener = nullptr;
  int32_t FUpdateCount = 0;
  TLayerOwner* FOwner;
};
