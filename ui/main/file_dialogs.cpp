#include "file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <exception>

#include "file_filters.h"
#include "open_document.h"
#include "thumb_picture.h"

namespace {

// The preview beside the picture dialog's list.
constexpr int PreviewSide = 220;

}  // namespace

bool AskReplaceFile(QWidget* Parent, const QString& Path) {
  return QMessageBox::question(Parent, QStringLiteral("Pelmora"),
                               QStringLiteral("Файл «%1» уже существует. Заменить его?")
                                   .arg(QFileInfo(Path).fileName()),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool AskSaveFileName(QWidget* Parent, const QString& Title, const QString& Folder,
                     std::string& Typed, TSaveFormat& Format, const TAskReplace& AskReplace) {
  QFileDialog Dialog(Parent, Title);
  Dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The file written is the typed name with the format's extension: the question below names
  // that file, where the dialog's own would name the typed one.
  Dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  Dialog.setNameFilters(SaveFilters());
  Dialog.selectNameFilter(SaveFilter(Format));
  Dialog.setDirectory(Folder);
  if (!Typed.empty())
    Dialog.selectFile(QString::fromStdString(Typed) +
                      QString::fromLatin1(SaveFormatExtension(Format)));
  for (;;) {
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
      return false;
    const TSaveFormat Chosen = SaveFormatOfFilter(Dialog.selectedNameFilter()).value_or(Format);
    const std::string Name = TypedSaveName(Dialog.selectedFiles().first().toStdString(), Chosen);
    if (Name.empty())
      continue;
    const QString Path = QString::fromStdString(SaveAsFileName(Name, Chosen));
    if (QFileInfo::exists(Path) && !AskReplace(Path))
      continue;
    Typed = Name;
    Format = Chosen;
    return true;
  }
}

QString AskPictureFileName(QWidget* Parent, const QString& Title, const QString& Folder,
                           const QString& Filter) {
  QFileDialog Dialog(Parent, Title, Folder, Filter);
  Dialog.setFileMode(QFileDialog::ExistingFile);
  // The desktop's own dialog has no room for a preview.
  Dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  auto* Preview = new QLabel(&Dialog);
  Preview->setObjectName(QStringLiteral("PicturePreview"));
  Preview->setFixedSize(PreviewSide, PreviewSide);
  Preview->setAlignment(Qt::AlignCenter);
  Preview->setFrameShape(QFrame::StyledPanel);
  Preview->setWordWrap(true);
  if (auto* Grid = qobject_cast<QGridLayout*>(Dialog.layout()))
    Grid->addWidget(Preview, 1, Grid->columnCount(), Grid->rowCount() - 1, 1);
  // Room for the list beside the preview, within the screen.
  QSize Size(900, 520);
  if (const QScreen* Screen = QGuiApplication::primaryScreen())
    Size = Size.boundedTo(Screen->availableSize() - QSize(40, 80));
  Dialog.resize(Size);
  QObject::connect(&Dialog, &QFileDialog::currentChanged, Preview, [Preview](const QString& Path) {
    Preview->clear();
    if (!QFileInfo(Path).isFile())
      return;
    try {
      // Decoded small (JPEG photos at a reduced scale), as the gallery thumbnails are.
      const TThumbPicture Picture =
          LoadThumbPicture(Path.toStdString(), PreviewSide - 8, PreviewSide - 8, false);
      const TBitmap24& B = Picture.Shown;
      if (B.IsEmpty())
        return;
      const QImage Image(B.ScanLine(0), B.Width(), B.Height(), qsizetype(B.Stride()),
                         QImage::Format_BGR888);
      Preview->setPixmap(QPixmap::fromImage(Image.scaled(
          PreviewSide - 8, PreviewSide - 8, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
      Preview->setToolTip(QStringLiteral("%1 × %2").arg(Picture.Size.cx).arg(Picture.Size.cy));
    } catch (const std::exception&) {
      Preview->setText(QStringLiteral("Нет просмотра"));
    }
  });
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
    return {};
  return Dialog.selectedFiles().first();
}
