#pragma once
// The texture choice dialog "Выбор текстуры" (TTextur): a picker over the folder "Textures" and
// the list "Размер текстуры"; "ОК" applies the chosen texture before the dialog closes.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QComboBox;
class QPushButton;
class TTHumbview;

class TTextur : public QDialog {
  Q_OBJECT
 public:
  // DataDir holds the folder "Textures"; the picker reads it when the dialog is first shown.
  explicit TTextur(const QString& DataDir, QWidget* Parent = nullptr);

  // The apply operation: "ОК". Selects the first cell when nothing is selected, then hands the
  // selected file (empty text when the picker is empty) and the index of "Размер текстуры" to
  // Apply, and closes the dialog. An error of Apply goes to OnError and the dialog stays open.
  void Button1Click();
  // True when the picker has a selected texture file (the background can apply it again).
  bool HasSelectedFile() const;

  // What "ОК" does with the texture: the main window tiles it over its canvas or a new underlay.
  std::function<void(const std::string& File, int32_t ScaleIndex)> Apply;
  // Shows an error; by default a message box.
  std::function<void(const QString&)> OnError;

  TTHumbview* View;
  QComboBox* RTX;
  QPushButton* Button1;
  QPushButton* Button2;
};
