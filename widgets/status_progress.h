#pragma once
// Long work anywhere in the program (a data folder whose thumbnails are loading, a card being
// printed) reports its steps here, and the main window shows them in its status bar. Several
// pieces of work may run at once: the bar shows their sum and the latest one's text.
#include <QObject>
#include <QString>
#include <map>

class TStatusProgress : public QObject {
  Q_OBJECT
 public:
  static TStatusProgress& Instance();

  // The work named by Source (any address that stays unique while the work runs) has done
  // Done of Total steps. Done >= Total ends it.
  void Report(const void* Source, const QString& Text, int Done, int Total);
  // The work of Source ended (or was abandoned).
  void End(const void* Source);

  QString Text() const { return FText; }
  int Done() const;
  int Total() const;

 signals:
  // The sum over the running work; Total 0 when nothing runs.
  void Changed(const QString& Text, int Done, int Total);

 private:
  struct TWork {
    int Done = 0, Total = 0;
  };
  void Notify();
  std::map<const void*, TWork> FWork;
  QString FText;
};
