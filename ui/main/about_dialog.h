#pragma once
// "О программе Pelmora".
#include <QDialog>

class TAboutKVT : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutKVT(QWidget* Parent = nullptr);
};
