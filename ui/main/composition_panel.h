#pragma once
// The composition panel of the side panel: the tabs "Фон" (the card's background), "Подложка"
// (the underlay), "Украшения" and "Поздравления" (the two galleries), and the texture dialog
// they share. The panel holds the controls; their state and rules are TCompositionPanelModel's
// and the work on the card TComposition's.
#include <QString>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "composition_panel_model.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
class TTHumbview;
class TTextur;

// What the panel needs of the window around it.
struct TCompositionPanelHost {
  // The window's command guard: runs a handler and reports its error.
  std::function<void(const std::function<void()>&)> Run;
  std::function<void(const QString&)> ShowError;
  std::function<void()> ChooseCard;     // "Выбрать открытку": the card catalogue
  std::function<void()> CanvasResized;  // a background of another size became the canvas
  std::function<void()> Repaint;        // the card is shown anew
  // The folder a file dialog starts in, and the folder of a file the user chose.
  std::function<QString()> DialogFolder;
  std::function<void(const QString&)> RememberFolder;
  // The middle of the part of the card in sight (card pixels), where gallery items land.
  std::function<std::optional<TSinglePoint>()> VisibleCentre;
};

class TCompositionPanel : public QTabWidget {
  Q_OBJECT
 public:
  TCompositionPanel(TCardDocument& Doc, TUndoStack& Undo, TComposition& Work,
                    TCompositionPanelHost Host, const QString& DataDir, QWidget* Parent);
  ~TCompositionPanel() override;

  TCompositionPanelModel& Model() { return FModel; }
  // Enables exactly the controls of the checked background and underlay modes.
  void UpdateControls();
  // After undo and redo: the tab "Фон" shows the mode and colours of the fill that made the
  // card's canvas.
  void FollowCard();
  // Fills the galleries from the folders "Decor" and "Captions" of the data folder.
  void LoadGalleries();

  // The colour dialog (replaceable in tests): false when cancelled.
  std::function<bool(TPlatformColor& Colour)> AskColour;
  // The picture dialog for "Загрузить фон из файла " (replaceable in tests): empty when
  // cancelled.
  std::function<QString()> AskBackgroundFile;

  // ---- "Фон"
  QRadioButton* GCard = nullptr;    // "Открытка"
  QRadioButton* OTH = nullptr;      // "Файл"
  QRadioButton* TK = nullptr;       // "Текстура"
  QRadioButton* SK = nullptr;       // "Однотонный"
  QRadioButton* GK = nullptr;       // "Градиент"
  QPushButton* Button10 = nullptr;  // "Выбрать открытку"
  QPushButton* Button6 = nullptr;   // "Загрузить фон из файла "
  QPushButton* Button3 = nullptr;   // "Выбрать текстуру "
  QToolButton* Col = nullptr;
  QToolButton* Col1 = nullptr;
  QToolButton* Col2 = nullptr;
  QComboBox* GradType = nullptr;
  QLabel* SColor = nullptr;  // the swatches show the model's colours
  QLabel* GC1 = nullptr;
  QLabel* GC2 = nullptr;
  // ---- "Подложка"
  QRadioButton* OCL = nullptr;
  QRadioButton* GCL = nullptr;
  QRadioButton* TXR = nullptr;
  QToolButton* SpeedButton7 = nullptr;
  QToolButton* SpeedButton8 = nullptr;
  QToolButton* SpeedButton9 = nullptr;
  QComboBox* PDGT = nullptr;
  QLabel* Panel4 = nullptr;
  QLabel* Panel7 = nullptr;
  QLabel* Panel8 = nullptr;
  QPushButton* Button4 = nullptr;   // "Выбрать текстуру "
  QPushButton* Button11 = nullptr;  // "Добавить подложку"
  // ---- The galleries
  TTHumbview* DAVIS = nullptr;
  TTHumbview* CPVIS = nullptr;
  QPushButton* Button9 = nullptr;   // "Добавить украшение"
  QPushButton* Button13 = nullptr;  // "Добавить поздравление"
  TTextur* Textur = nullptr;

 private:
  QWidget* BuildBackgroundTab();
  QWidget* BuildUnderlayTab();
  QWidget* BuildGalleryTab(TTHumbview*& View, QPushButton*& Button, const QString& Caption,
                           int CellWidth, bool Decoration);
  // A mode of the background or underlay tab: a radio button in column 0 of Row, in Group.
  QRadioButton* AddModeRadio(QGridLayout* Grid, QButtonGroup* Group, const QString& Caption,
                             int Row, std::function<void()> Handler);
  QToolButton* AddSwatch(QGridLayout* Grid, int Row, int Column, QLabel*& Swatch,
                         TPlatformColor Colour, std::function<void()> Handler);
  // Connects a click of Button to Handler under the window's command guard.
  void OnClick(QPushButton* Button, std::function<void()> Handler);
  void ShowSwatches();
  void ChooseTextureMode();
  void ChooseTexture();
  void LoadBackground();
  void AddGalleryItem(const TTHumbview* View, bool Decoration);
  TAskColour Ask();

  TCompositionPanelModel FModel;
  TCompositionPanelHost FHost;
  QString FDataDir;
};
