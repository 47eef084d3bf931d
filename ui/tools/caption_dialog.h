#pragma once
// The caption dialog "Надпись" (TTexter): text, font, colours, line alignment, greetings by
// occasion and transparency; "Просмотр" and "ОК" put the rendered caption on the card.
#include <QDialog>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "bitmap32.h"
#include "caption_layer.h"
#include "caption_render.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextEdit;
class QToolButton;
class TBitmapLayer;
class TCardDocument;

class TTexter : public QDialog {
  Q_OBJECT
 public:
  // Doc is the card the captions go on; DataDir is the folder that holds "BDG".
  TTexter(TCardDocument& Doc, const QString& DataDir, QWidget* Parent = nullptr);

  // Shows the dialog modally for one visit. RememberedCount is the card's layer count just
  // before opening: a caption layer added since then is the preview that the next placing or
  // "Отмена" removes.
  // SuggestedSize (points, 0 for none) becomes the font size until the user picks one.
  int Execute(int32_t RememberedCount, int32_t SuggestedSize = 0);
  // The first half of Execute: starts a visit without showing the dialog.
  void BeginVisit(int32_t RememberedCount, int32_t SuggestedSize = 0);

  // Shows the dialog modally for editing the caption of Layer, the controls filled with
  // Caption: "Просмотр" and "OK" render it again into the layer in place (keeping its centre and
  // scale), "Отмена" puts the layer back as it was.
  int ExecuteEdit(TBitmapLayer& Layer, const TCaption& Caption);
  // The first half of ExecuteEdit: starts the edit without showing the dialog.
  void BeginEdit(TBitmapLayer& Layer, const TCaption& Caption);
  // The layer being edited; null on a visit that adds a caption.
  TBitmapLayer* EditedLayer() const { return FEditing; }
  // The controls take the caption's settings.
  void SetCaption(const TCaption& Caption);

  // Called just before each change of the card (placing or removing the preview layer).
  std::function<void()> OnBeforeChange;
  // Called after each change of the card.
  std::function<void()> OnCardChanged;
  // Shows an error; by default a message box.
  std::function<void(const QString&)> OnError;
  // The caption on the card (the selected layer after "Просмотр") in screen coordinates; empty
  // when unknown. The dialog steps aside when it would cover it, so the preview stays in sight.
  std::function<QRect()> CaptionOnScreen;

  // The caption as the controls describe it.
  TCaption CurrentCaption() const;
  const TBitmap32& WorkBitmap() const { return FWork; }
  int32_t RememberedCount() const { return FRemembered; }

  // Colour choices without the colour dialog.
  void SetTextColor(TColor32 C);
  void SetBackColor(TColor32 C);

  // The controls, named as the program refers to them.
  QTabWidget* Pages;
  QComboBox* Fontos;
  QComboBox* FoSize;
  QToolButton* BoldButton;
  QToolButton* ItBut;
  QToolButton* Under;
  QToolButton* FoColo;
  QToolButton* BcColo;
  QToolButton* ToolButton12;
  QToolButton* ToolButton13;
  QToolButton* ToolButton14;
  QTextEdit* Rtf;
  QComboBox* Greet;
  QTextEdit* Choice;
  QPushButton* Button5;
  QComboBox* Spec;
  QSpinBox* TexOp;
  QCheckBox* Alpha;
  // "Контур": its colour and width; "Тень": its colour, offset and softness.
  QCheckBox* OutlineOn;
  QToolButton* OutlineColour;
  QSpinBox* OutlineWidth;
  QCheckBox* ShadowOn;
  QToolButton* ShadowColour;
  QSpinBox* ShadowOffset;
  QSpinBox* ShadowSoftness;
  QPushButton* Button3;
  QPushButton* Button1;
  QPushButton* Button2;

  // Handlers (public so that tests can drive them exactly as the controls do).
  void FontControlsChange();
  void FoSizeChange();
  void StyleButtonClick(uint32_t Style);
  void AlignButtonClick(Qt::Alignment A);
  void GreetChange();
  void Button5Click();  // "Копировать" and "Использовать поздравление"
  void SpecChange();
  void Button3Click();  // "Просмотр"
  void Button1Click();  // "ОК"
  void Button2Click();  // "Отмена"

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  // Runs one handler; an error goes to OnError and the dialog goes on.
  void Run(const std::function<void()>& Handler);
  void ApplyFont();
  void ShowCaretAlignment();
  // Every line of the caption takes the alignment A.
  void AlignCaption(Qt::Alignment A);
  void ChooseColor(bool Text);
  // Renders the caption and puts it on the card (replacing an earlier preview).
  void Place();
  // Moves the dialog off the caption (CaptionOnScreen) when it covers it.
  void KeepCaptionInSight();
  void DropPreview();
  void EndEdit();

  TCardDocument& FDoc;
  QString FDataDir;
  int32_t FRemembered = 0;
  TBitmap32 FWork;
  TBitmap32 FMask;
  int32_t FSize = 30;
  bool FSizeChosen = false;  // the user set the size: suggestions no longer apply
  TFontStyles FStyle = 0;
  Qt::Alignment FAlign = Qt::AlignLeft;  // the last alignment chosen for the whole caption
  TColor32 FTextColor = 0xFF000000;
  TColor32 FBackColor = 0xFFFFFFFF;
  TColor32 FOutlineColour = 0xFFFFFFFF;
  TColor32 FShadowColour = 0xFF000000;
  // The caption layer an edit visit works on, and the layer as it was before.
  TBitmapLayer* FEditing = nullptr;
  std::unique_ptr<TCaptionEditBackup> FBackup;
};
