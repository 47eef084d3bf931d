#pragma once
// The batch tool's caption commands, each making an editable caption as the caption dialog does:
//   Caption text=ТЕКСТ [font=] [size=] [color=RRGGBB] [x=] [y=]
//       a new caption centred on card point (x, y) (the card's centre when not given);
//   EditCaption text=ТЕКСТ [font=] [size=] [color=RRGGBB]   (with layer=N)
//       the caption of layer N rendered again with the new text, keeping its centre and its
//       scale and, where not given, its font, size and colour.
// In the text "\n" starts a new line (a newline character does too) and "\\" is a backslash.
#include <string>
#include <vector>

#include "caption_render.h"
#include "effect_commands.h"

std::vector<TCardCommand> CaptionCommands();

// The lines of a caption text given on the command line, all aligned left.
std::vector<TCaptionLine> CaptionLinesFromText(const std::string& Text);
