#include "effect_dialogs.h"

#include "card_commands.h"

TEffect::TEffect(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Резкость"), QStringLiteral("Настройка резкости"), false,
                    Parent) {
  Value = AddGauge("Value", QString(), CardKeyOf("SharpenFivePoint", "strength"), 2);
}

TDeFoc::TDeFoc(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Размытие"), QStringLiteral("Настройка размытия"), false,
                    Parent) {
  Value = AddGauge("Value", QString(), CardKeyOf("DiagonalAverageBlur", "distance"), 1);
  Ras = AddCheck("Ras", QStringLiteral("Расфокусировка"));
}

TSprayWin::TSprayWin(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Разбрызгивание"),
                    QStringLiteral("Настройка эффекта разбрызгивания"), false, Parent) {
  Value = AddGauge("Value", QString(), CardKeyOf("ScatterPixels", "amount"), 1);
}

TPosta::TPosta(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Постеризация"),
                    QStringLiteral("Настройка эффекта постеризации"), false, Parent) {
  Value = AddGauge("Value", QString(), CardKeyOf("QuantizeLevels", "level"), 1);
}

TWaves::TWaves(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Эффект волны"), QStringLiteral("Настройка эффекта волны"), true,
                    Parent) {
  Value = AddGauge("Value", QStringLiteral("Амплитуда"), CardKeyOf("WaveShift", "amplitude"), 1);
  Interf = AddGauge("Interf", QStringLiteral("Интерференция"),
                    CardKeyOf("WaveShift", "interference"), 1);
  Nu = AddList("Nu", QStringLiteral("Частота"),
               {QStringLiteral("Низкая"), QStringLiteral("Средняя"), QStringLiteral("Высокая")});
}

void TWaves::showEvent(QShowEvent* E) {
  Nu->setCurrentIndex(0);
  TEffectDialog::showEvent(E);
}

TMarb::TMarb(QWidget* Parent)
    : TEffectDialog(QStringLiteral("Капли дождя"), QStringLiteral("Настройка эффекта"), true,
                    Parent) {
  Scal = AddGauge("Scal", QStringLiteral("Увеличение"), CardKeyOf("DropDisplace", "scale"), 10);
  Freq =
      AddGauge("Freq", QStringLiteral("Сила ветра"), CardKeyOf("DropDisplace", "turbulence"), 210);
}
