#pragma once
// The system clipboard through Qt. Reading takes, in this order: a picture file named on the
// clipboard (a file manager's copy), an encoded picture another program offers (PNG, BMP,
// JPEG, GIF, TIFF, WebP, read by the program's own readers), a picture object of this process
// or one Qt decodes. Writing offers the picture as an image, which Qt serves to other programs
// as PNG (alpha kept) and the other image types they ask for.
#include <QClipboard>
#include <QObject>
#include <functional>

#include "picture_clipboard.h"

class QMimeData;

class TQtPictureClipboard : public QObject, public TPictureClipboard {
  Q_OBJECT
 public:
  // Mode: QClipboard::Clipboard (the one Ctrl+C and Ctrl+V use).
  explicit TQtPictureClipboard(QObject* Parent = nullptr,
                               QClipboard::Mode Mode = QClipboard::Clipboard);

  // What the clipboard offers is looked at once after each change, not at every refresh of
  // the menus (asking another program may take a while).
  bool HasPicture() override;
  bool GetPicture(TBitmap32& Out) override;
  void SetPicture(const TBitmap32& Picture) override;

  // Called after the clipboard's contents changed (the window refreshes its commands).
  std::function<void()> OnChange;

 private:
  bool Offers(const QMimeData* Data) const;

  QClipboard::Mode FMode;
  bool FKnown = false;
  bool FHasPicture = false;
};

// The local files a clipboard's data names: its URLs, or lines of its text.
std::vector<std::string> ClipboardFiles(const QMimeData& Data);
