#pragma once
// The system clipboard as the editor sees it: a place that may hold a picture. The window
// supplies the real one (Qt's clipboard); the commands and their tests only know this
// interface. The helpers below turn what other programs put there (encoded picture bytes, the
// names of picture files) into a bitmap without the GUI toolkit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bitmap32.h"
#include "exceptions.h"

class TPictureClipboard {
 public:
  virtual ~TPictureClipboard() = default;
  // Whether the clipboard offers something that can be read as a picture. Cheap: it looks at
  // what is offered, not at the pixels.
  virtual bool HasPicture() = 0;
  // The picture into Out (straight alpha). False, Out untouched, when there is none; a picture
  // that cannot be read (damaged, too large, out of memory) raises Exception in Russian.
  virtual bool GetPicture(TBitmap32& Out) = 0;
  // Puts a copy of Picture on the clipboard for this and other programs.
  virtual void SetPicture(const TBitmap32& Picture) = 0;
};

// The message of a paste command when the clipboard holds no picture.
extern const char* const NoPictureMessage;

// Pictures on the clipboard larger than this are refused (the readers' own limit).
bool IsTooLargeForClipboard(int64_t Width, int64_t Height);
// "Картинка в буфере обмена слишком велика ..." for a picture of that size.
std::string TooLargeMessage(int64_t Width, int64_t Height);

// The encoded picture format to read among the clipboard's mime types (any letter case): PNG
// first, then BMP, JPEG, GIF, TIFF, WebP. Empty when none is offered.
std::string ChooseEncodedPictureFormat(const std::vector<std::string>& MimeTypes);
// Decodes the bytes of an encoded picture of that mime type into Out with the program's own
// readers. A damaged or oversized picture raises Exception in Russian; Out is then untouched.
void DecodeClipboardPicture(const std::string& MimeType, const uint8_t* Data, size_t Size,
                            TBitmap32& Out);
// The width and height a PNG or BMP image declares in its header, when it can be told.
std::optional<std::pair<int64_t, int64_t>> DeclaredPictureSize(const std::string& MimeType,
                                                               const uint8_t* Data, size_t Size);

// The first of Files (local paths) that is an existing file with the extension of a picture
// the program reads; empty when there is none.
std::string FirstPictureFile(const std::vector<std::string>& Files);
// Reads a picture file named on the clipboard into Out (its pixels with their own alpha). A
// file that cannot be read raises Exception in Russian naming the file; Out is then untouched.
void ReadClipboardPictureFile(const std::string& FileName, TBitmap32& Out);
// Local file paths named in text: one per line, as "file://" URLs (percent-encoded) or as
// absolute paths; other lines and comment lines ("#") are skipped.
std::vector<std::string> LocalFilesInText(const std::string& Text);

// Out takes the decoded pixels. A picture whose alpha is 0 everywhere (a 32-bit bitmap that
// leaves its fourth byte unused) is made opaque, so that it does not paste invisible.
void TakeClipboardPixels(const TColor32* Pixels, int32_t Width, int32_t Height, bool KeepAlpha,
                         TBitmap32& Out);
