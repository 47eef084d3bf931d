#pragma once
// "Оттенки одного цвета (колоризация)": the colour the picture is tinted with, shown in a panel
// with a button that opens the colour dialog; each colour chosen is shown on the card at once.
// The dialog holds the colour only; the command does the pixel work.
#include <QDialog>
#include <cstdint>
#include <functional>

class QPushButton;
class TColourPanel;

class TColorise : public QDialog {
  Q_OBJECT
 public:
  explicit TColorise(QWidget* Parent = nullptr);

  // The colour, red in the lowest byte.
  uint32_t Colour() const;
  // Shows Colour in the panel without telling anyone (the command's starting colour).
  void SetColour(uint32_t Colour);
  // A colour chosen in the dialog: the panel shows it, then OnChange.
  void ChooseColour(uint32_t Colour);

  // On every activation, and after every colour chosen.
  std::function<void()> OnActivate;
  std::function<void()> OnChange;

  QPushButton* ColourButton() const { return FPick; }
  QPushButton* OkButton() const { return FOk; }
  QPushButton* CancelButton() const { return FCancel; }

 protected:
  void showEvent(QShowEvent* E) override;

 private:
  TColourPanel* FPanel;
  QPushButton* FPick;
  QPushButton* FOk;
  QPushButton* FCancel;
};
