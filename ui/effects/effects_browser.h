#pragma once
// TBrowser, "Каталог эффектов": nine previews of the target in a grid with their titles,
// "ОК" and "Отмена"; a double click applies the item and closes.
#include <QDialog>
#include <functional>
#include <vector>

#include "effects_catalogue.h"

class QListWidget;

class TBrowser : public QDialog {
  Q_OBJECT
 public:
  explicit TBrowser(QWidget* Parent = nullptr);

  // On every activation: the command computes the previews and hands them to SetPreviews.
  std::function<void()> OnActivate;
  // "ОК" (before the window closes) and a double click on an item (then it closes).
  std::function<void()> OnApply;

  void SetPreviews(const std::vector<TCataloguePreview>& Previews);
  // The grid's selected position, -1 when none.
  int SelectedIndex() const;
  QListWidget* View() const { return FView; }

 protected:
  void showEvent(QShowEvent* E) override;

 private:
  QListWidget* FView;
};
