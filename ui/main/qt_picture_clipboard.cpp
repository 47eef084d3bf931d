#include "qt_picture_clipboard.h"

#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <cstring>

namespace {

QClipboard* Board() {
  return QGuiApplication::clipboard();
}

std::vector<std::string> MimeTypes(const QMimeData& Data) {
  std::vector<std::string> Types;
  for (const QString& F : Data.formats()) Types.push_back(F.toStdString());
  return Types;
}

}  // namespace

std::vector<std::string> ClipboardFiles(const QMimeData& Data) {
  std::vector<std::string> Files;
  if (Data.hasUrls()) {
    for (const QUrl& U : Data.urls())
      if (U.isLocalFile())
        Files.push_back(U.toLocalFile().toStdString());
    return Files;
  }
  // Some file managers offer the copied names as text: file URLs or absolute paths.
  if (Data.hasText())
    Files = LocalFilesInText(Data.text().toStdString());
  return Files;
}

TQtPictureClipboard::TQtPictureClipboard(QObject* Parent, QClipboard::Mode Mode)
    : QObject(Parent), FMode(Mode) {
  if (QClipboard* C = Board())
    connect(C, &QClipboard::changed, this, [this](QClipboard::Mode Changed) {
      if (Changed != FMode)
        return;
      FKnown = false;
      if (OnChange)
        OnChange();
    });
}

bool TQtPictureClipboard::Offers(const QMimeData* Data) const {
  if (Data == nullptr)
    return false;
  if (Data->hasImage() || !ChooseEncodedPictureFormat(MimeTypes(*Data)).empty())
    return true;
  return !FirstPictureFile(ClipboardFiles(*Data)).empty();
}

bool TQtPictureClipboard::HasPicture() {
  if (!FKnown) {
    QClipboard* C = Board();
    FHasPicture = C != nullptr && Offers(C->mimeData(FMode));
    FKnown = true;
  }
  return FHasPicture;
}

bool TQtPictureClipboard::GetPicture(TBitmap32& Out) {
  QClipboard* C = Board();
  const QMimeData* Data = C != nullptr ? C->mimeData(FMode) : nullptr;
  if (Data == nullptr)
    return false;
  const std::string File = FirstPictureFile(ClipboardFiles(*Data));
  if (!File.empty()) {
    ReadClipboardPictureFile(File, Out);
    return true;
  }
  const std::string Encoded = ChooseEncodedPictureFormat(MimeTypes(*Data));
  if (!Encoded.empty()) {
    const QByteArray Bytes = Data->data(QString::fromStdString(Encoded));
    if (!Bytes.isEmpty()) {
      DecodeClipboardPicture(Encoded, reinterpret_cast<const uint8_t*>(Bytes.constData()),
                             static_cast<size_t>(Bytes.size()), Out);
      return true;
    }
  }
  if (!Data->hasImage())
    return false;
  // A picture object: this program's own copy, or one Qt decoded from a type read above.
  const QImage Image = qvariant_cast<QImage>(Data->imageData());
  if (Image.isNull())
    throw Exception("Не удалось прочитать картинку из буфера обмена.");
  if (IsTooLargeForClipboard(Image.width(), Image.height()))
    throw Exception(TooLargeMessage(Image.width(), Image.height()));
  // QImage's ARGB32 is straight alpha in the same byte order as TColor32 (B, G, R, A).
  const QImage Argb = Image.convertToFormat(QImage::Format_ARGB32);
  if (Argb.isNull())
    throw Exception("Недостаточно памяти для картинки из буфера обмена.");
  const int W = Argb.width(), H = Argb.height();
  std::vector<TColor32> Pixels;
  Pixels.reserve(size_t(W) * size_t(H));
  for (int Y = 0; Y < H; ++Y) {
    const auto* Row = reinterpret_cast<const TColor32*>(Argb.constScanLine(Y));
    Pixels.insert(Pixels.end(), Row, Row + W);
  }
  TakeClipboardPixels(Pixels.data(), W, H, Image.hasAlphaChannel(), Out);
  return true;
}

void TQtPictureClipboard::SetPicture(const TBitmap32& Picture) {
  QClipboard* C = Board();
  if (C == nullptr || Picture.IsEmpty())
    return;
  QImage Image(Picture.Width(), Picture.Height(), QImage::Format_ARGB32);
  if (Image.isNull())
    throw Exception("Недостаточно памяти, чтобы положить картинку в буфер обмена.");
  const size_t RowBytes = size_t(Picture.Width()) * sizeof(TColor32);
  for (int Y = 0; Y < Picture.Height(); ++Y)
    std::memcpy(Image.scanLine(Y), Picture.Bits() + size_t(Y) * Picture.Width(), RowBytes);
  C->setImage(Image, FMode);
}
