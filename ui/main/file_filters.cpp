#include "file_filters.h"

QString OpenDocumentFilter() {
  return QStringLiteral(
      "Все поддерживаемые форматы (*.kvt *.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png *.webp "
      "*.heic *.heif *.avif);;"
      "Рисунки GIF (*.gif);;Рисунки JPEG (*.jpg *.jpeg);;Точечные рисунки (*.bmp);;"
      "Значки (*.ico);;Расширенные метафайлы (*.emf);;Метафайлы (*.wmf);;"
      "Проект Pelmora (*.kvt);;Рисунки PNG (*.png);;Рисунки WebP (*.webp);;"
      "Фотографии HEIC и AVIF (*.heic *.heif *.avif)");
}

QString OpenLayerFilter() {
  return QStringLiteral(
      "Все поддерживаемые форматы (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png *.webp *.heic "
      "*.heif *.avif);;"
      "Рисунки GIF (*.gif);;Рисунки JPEG (*.jpg *.jpeg);;Точечные рисунки (*.bmp);;"
      "Значки (*.ico);;Расширенные метафайлы (*.emf);;Метафайлы (*.wmf);;"
      "Рисунки PNG (*.png);;Рисунки WebP (*.webp);;Фотографии HEIC и AVIF (*.heic *.heif *.avif)");
}

QStringList SaveFilters() {
  return {QStringLiteral("Проект Pelmora (*.kvt)"), QStringLiteral("Точечные рисунки (*.bmp)"),
          QStringLiteral("Рисунки JPEG (*.jpg)"),   QStringLiteral("Рисунки GIF (*.gif)"),
          QStringLiteral("Рисунки PNG (*.png)"),    QStringLiteral("Рисунки TIFF (*.tif)"),
          QStringLiteral("Рисунки WebP (*.webp)")};
}

QString SaveFilter(TSaveFormat Format) {
  return SaveFilters().value(static_cast<int>(Format) - 1);
}

std::optional<TSaveFormat> SaveFormatOfFilter(const QString& Filter) {
  const qsizetype I = SaveFilters().indexOf(Filter);
  if (I < 0)
    return std::nullopt;
  return static_cast<TSaveFormat>(I + 1);
}
