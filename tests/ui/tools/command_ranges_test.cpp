// The dialogs take the ranges and defaults of their controls from the card commands' table, so
// the editor and the batch tool accept the same values.
#include <gtest/gtest.h>

#include <QSpinBox>

#include "card_commands.h"
#include "card_document.h"
#include "frame_dialog.h"
#include "img_view32.h"
#include "undo.h"

namespace {

TEST(CommandRanges, TheFrameWidthBoxIsTheFrameCommandsWidth) {
  TImgView32 View;
  TCardDocument Doc(View);
  TUndoStack Undo(Doc);
  TFrama Dialog(Doc, Undo, QString());
  const TEffectKey& Width = CardKeyOf("Frame", "width");
  EXPECT_EQ(Dialog.Dal->minimum(), Width.Min);
  EXPECT_EQ(Dialog.Dal->maximum(), Width.Max);
  EXPECT_EQ(Dialog.Dal->value(), Width.Default);
  EXPECT_THROW(CardKeyOf("Frame", "height"), EEffectCommandError);
}

}  // namespace
