#include "help_window.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* Parent) : QDialog(Parent), FBrowser(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Справка"));
  // A window beside the card, not in front of it: the editor goes on while it is open.
  setModal(false);
  FBrowser->setOpenExternalLinks(false);
  FBrowser->setOpenLinks(true);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  Buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* Column = new QVBoxLayout(this);
  Column->addWidget(FBrowser, 1);
  Column->addWidget(Buttons);
  // A reading width, never taller or wider than the screen.
  QSize Size(720, 640);
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    const QSize Room = Screen->availableSize() - QSize(40, 80);
    Size = Size.boundedTo(Room).expandedTo(QSize(320, 240));
  }
  resize(Size);
}

bool THelpWindow::ShowPage(const QString& File) {
  const QFileInfo Info(File);
  if (!Info.isFile() || !Info.isReadable())
    return false;
  FBrowser->setSource(QUrl::fromLocalFile(Info.absoluteFilePath()));
  show();
  raise();
  activateWindow();
  return true;
}
