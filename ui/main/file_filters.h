#pragma once
// The file-type filters of the open, save and picture dialogs.
#include <QString>
#include <QStringList>

#include "save_flat_image.h"

// "Открыть": projects and every picture the program reads.
QString OpenDocumentFilter();
// "Добавить фотографию": the pictures only.
QString OpenLayerFilter();
// "Сохранить как...": one filter per format, in the order of TSaveFormat.
QStringList SaveFilters();
QString SaveFilter(TSaveFormat Format);
// The format of one of SaveFilters(); none for another text.
std::optional<TSaveFormat> SaveFormatOfFilter(const QString& Filter);
